#include "res/DialogTemplates.h"

#include "platform/WinUser.h"
#include "res/ResourceIds.h"

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kListBoxStyle
    = kChild | LBS_SORT | LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP | LBS_NOINTEGRALHEIGHT;
constexpr DWORD kReadOnlyEditStyle = kChild | ES_READONLY | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kButtonStyle = kChild | BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kCheckBoxStyle = kChild | BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kLabelStyle = kChild | SS_LEFT | WS_GROUP;

// The templates keep the layout of a resource script: one line a control.
// clang-format off
const CDialogTemplate kMainWindow = {
    IDD_VANTREL_DIALOG, "Vantrel server",
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT,
    WS_EX_APPWINDOW, 0, 0, 237, 141, 8, "MS Sans Serif",
    {
        {IDC_STATIC, ControlKind::StaticLabel, "Search Directories:", kLabelStyle, 0, 5, 61, 8},
        {IDC_SEARCH_DIRS, ControlKind::ListBox, "", kListBoxStyle, 15, 15, 155, 40},
        {IDC_ADD, ControlKind::PushButton, "<< ADD", kButtonStyle, 180, 15, 50, 14},
        {IDC_REMOVE, ControlKind::PushButton, ">>Remove", kButtonStyle, 180, 40, 50, 14},
        {IDC_STATIC, ControlKind::StaticLabel, "Write Directory:", kLabelStyle, 0, 60, 50, 8},
        {IDC_WRITE_DIR, ControlKind::Edit, "", kReadOnlyEditStyle, 15, 70, 155, 14},
        {IDC_ENABLE_WRITE, ControlKind::CheckBox, "Enable Writes", kCheckBoxStyle, 15, 90, 60, 10},
        {IDC_RUN_MINIMIZED, ControlKind::CheckBox, "Start Minimized", kCheckBoxStyle, 100, 90, 63, 10},
        {IDC_STATIC, ControlKind::StaticLabel, "Status", kLabelStyle, 0, 110, 21, 8},
        {IDC_STATUS, ControlKind::Edit, "", kReadOnlyEditStyle, 15, 120, 155, 14},
        {IDC_ABOUT, ControlKind::PushButton, "About", kButtonStyle, 180, 100, 50, 14},
        {IDOK, ControlKind::PushButton, "Exit", kButtonStyle, 180, 120, 50, 14},
    },
};

const CDialogTemplate kAboutBox = {
    IDD_ABOUTBOX, "About Vantrel",
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
    0, 0, 0, 232, 81, 8, "MS Sans Serif",
    {
        {IDC_STATIC, ControlKind::StaticLabel, "Vantrel TFTP Server Version 1.2", kLabelStyle | SS_NOPREFIX, 55, 28, 119, 8},
        {IDOK, ControlKind::PushButton, "OK", kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 195, 60, 32, 14},
        {IDC_STATIC, ControlKind::StaticIcon, "", kChild | SS_ICON, 17, 20, 20, 20, IDR_MAINFRAME},
    },
};

// The old-style file dialog's template; the file controls stand beyond the
// right edge and are hidden by the dialog.
const CDialogTemplate kLegacyDirDialog = {
    IDD_LEGACY_DIR_DIALOG, "Open", 0x80C800C0, 0, 109, 35, 204, 135, 8, "Helv",
    {
        {stc3, ControlKind::StaticLabel, "File &Name:", 0x50020000, 267, 0, 76, 10},
        {edt1, ControlKind::Edit, "", 0x50810480, 267, 10, 90, 12},
        {lst1, ControlKind::ListBox, "", 0x50A11053, 267, 26, 90, 68},
        {IDC_STATIC, ControlKind::StaticLabel, "&Directories:", 0x50020000, 7, 6, 92, 9},
        {stc1, ControlKind::StaticLabel, "", 0x50020080, 7, 18, 128, 9},
        {lst2, ControlKind::ListBox, "", 0x50A11053, 7, 32, 127, 68},
        {stc2, ControlKind::StaticLabel, "List Files of &Type:", 0x50020000, 267, 98, 90, 9},
        {cmb1, ControlKind::ComboBox, "", 0x50A10043, 267, 108, 90, 36},
        {stc4, ControlKind::StaticLabel, "Dri&ves:", 0x50020000, 7, 104, 92, 9},
        {cmb2, ControlKind::ComboBox, "", 0x50A10353, 7, 114, 127, 68},
        {IDOK, ControlKind::PushButton, "OK", 0x50030001, 145, 6, 50, 14},
        {IDCANCEL, ControlKind::PushButton, "Cancel", 0x50030000, 145, 24, 50, 14},
        {pshHelp, ControlKind::PushButton, "&Help", 0x50030000, 145, 46, 50, 14},
        {chx1, ControlKind::CheckBox, "&Read Only", 0x50030003, 145, 68, 50, 12},
    },
};
// clang-format on

} // namespace

const std::vector<const CDialogTemplate*>& AllDialogTemplates()
{
    static const std::vector<const CDialogTemplate*> templates = {&kAboutBox, &kMainWindow, &kLegacyDirDialog};
    return templates;
}

const CDialogTemplate* FindDialogTemplate(int id)
{
    for (const CDialogTemplate* dialogTemplate : AllDialogTemplates())
        if (dialogTemplate->id == id)
            return dialogTemplate;
    return nullptr;
}
