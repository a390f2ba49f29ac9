#pragma once
// The window probe's questions: registered messages sent to a window of
// vantrel.exe, with the handle of the window that wants the answer as
// lParam. The answer comes back with WM_COPYDATA, one line an item.
#include <windows.h>

// The window's system menu: "<id> <flags> <text>" an entry.
constexpr wchar_t kSystemMenuProbe[] = L"VantrelSystemMenuProbe";
// The window's controls whose captions do not fit them in their own fonts:
// "<text> needs <width>x<height> of <width>x<height>" a control.
constexpr wchar_t kCaptionProbe[] = L"VantrelCaptionProbe";
