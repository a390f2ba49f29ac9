#pragma once
// Identifiers of the program's resources: dialog templates, their controls,
// strings and the icon. The values are part of the program's interface and
// never change.

// Dialog templates.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_VANTREL_DIALOG = 102;
constexpr int IDD_LEGACY_DIR_DIALOG = 1536;

// Icon.
constexpr int IDR_MAINFRAME = 128;

// Strings.
constexpr unsigned IDS_MODIFY = 1;
constexpr unsigned IDS_BROWSE = 3;
constexpr unsigned IDS_ABOUTBOX = 101;
constexpr unsigned IDS_SOCKETS_INIT_FAILED = 103;

// Controls without an identifier of their own (labels, the About icon).
constexpr int IDC_STATIC = -1;

// Controls of the main window (template 102).
constexpr int IDC_SEARCH_DIRS = 1000;
constexpr int IDC_ADD = 1001;
constexpr int IDC_REMOVE = 1002;
constexpr int IDC_WRITE_DIR = 1003;
constexpr int IDC_ENABLE_WRITE = 1004;
constexpr int IDC_STATUS = 1006;
constexpr int IDC_ABOUT = 1010;
constexpr int IDC_RUN_MINIMIZED = 1011;

// The browse button that a directory field creates beside its edit control.
constexpr int IDC_BROWSE = 100;

// Controls of the legacy directory dialog (template 1536), named as the
// common file dialog names them.
constexpr int stc1 = 1088;    // current directory
constexpr int stc2 = 1089;    // "List Files of &Type:"
constexpr int stc3 = 1090;    // "File &Name:"
constexpr int stc4 = 1091;    // "Dri&ves:"
constexpr int edt1 = 1152;    // file name
constexpr int lst1 = 1120;    // file list
constexpr int lst2 = 1121;    // directory list
constexpr int cmb1 = 1136;    // file types
constexpr int cmb2 = 1137;    // drives
constexpr int pshHelp = 1038; // "&Help"
constexpr int chx1 = 1040;    // "&Read Only"
