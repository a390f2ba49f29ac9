#pragma once
// What the framework's Win32 files share. CWndBinding keeps the wrappers
// bound to windows, by handle: a bound control passes its messages through a
// window procedure of the framework, so that the timers the wrapper set reach
// its OnTimer (the control's own timers, such as a tooltip's, reach the
// control) and the wrapper forgets the window when it goes; a bound dialog
// keeps its own dialog procedure, which does the same.
#include "ui/dialog/Controls.h"

#include <string>

class CWndBinding {
public:
    // Binds wnd to hWnd; subclass replaces the window's procedure by the
    // framework's.
    static void Bind(CWnd* wnd, HWND hWnd, bool subclass);
    // The window is being destroyed: its wrapper forgets it.
    static void Unbind(HWND hWnd);
    // The wrapper of hWnd has set (running) or killed the timer id.
    static void NoteTimer(HWND hWnd, UINT_PTR id, bool running);
    static CWnd* Find(HWND hWnd);

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// The module whose resources the windows are built from: the executable.
HINSTANCE AfxGetResourceHandle();
// The top-level window that hWnd belongs to: hWnd itself unless it is a child.
HWND TopLevelOf(HWND hWnd);
bool HasWindowClass(HWND hWnd, const char* windowClass);
// The window's text in UTF-8, as the program keeps its texts.
std::string WindowText(HWND hWnd);
