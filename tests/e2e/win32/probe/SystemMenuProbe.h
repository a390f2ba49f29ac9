#pragma once
// The system menu probe's message: sent to a window of vantrel.exe with the
// handle of the window that wants the menu's entries as lParam.
#include <windows.h>

constexpr wchar_t kSystemMenuProbe[] = L"VantrelSystemMenuProbe";
