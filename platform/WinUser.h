#pragma once
// The window manager's types, style bits, messages and notification codes
// that the windows and their templates are written in: Windows' own on
// Windows, these stand-ins with the same names and values elsewhere.
#include "platform/WinTypes.h"

#ifdef _WIN32
#include <windows.h>
#else

using HICON = void*;
using HMENU = void*;
using HFONT = void*;
using WPARAM = UINT_PTR;
using LPARAM = std::intptr_t;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

// A message as the message loop retrieves it; where the toolkit has no such
// messages, message carries the kind of its event.
struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_TABSTOP = 0x00010000;

constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_MODALFRAME = 0x80;

constexpr DWORD WS_EX_APPWINDOW = 0x00040000;

constexpr DWORD SS_LEFT = 0x0;
constexpr DWORD SS_ICON = 0x3;
constexpr DWORD SS_NOPREFIX = 0x80;

constexpr DWORD BS_PUSHBUTTON = 0x0;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
constexpr DWORD BS_AUTOCHECKBOX = 0x3;

constexpr DWORD ES_AUTOHSCROLL = 0x80;
constexpr DWORD ES_READONLY = 0x800;

constexpr DWORD LBS_NOTIFY = 0x1;
constexpr DWORD LBS_SORT = 0x2;
constexpr DWORD LBS_NOINTEGRALHEIGHT = 0x100;

constexpr DWORD CBS_SORT = 0x100;

constexpr int BN_CLICKED = 0;
constexpr int EN_CHANGE = 0x300;
constexpr int LB_ERR = -1;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_RESTORE = 9;

constexpr UINT SC_MINIMIZE = 0xF020;
constexpr UINT SC_CLOSE = 0xF060;
constexpr UINT SC_RESTORE = 0xF120;

constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_SEPARATOR = 0x0800;

constexpr int ICON_SMALL = 0;
constexpr int ICON_BIG = 1;

#endif
