#pragma once
// What the framework's Win32 files share. CWndBinding keeps the wrappers
// bound to windows, by handle: a bound control passes its messages through a
// window procedure of the framework, so that its timers reach the wrapper's
// OnTimer and the wrapper forgets the window when it goes; a bound dialog
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
    static CWnd* Find(HWND hWnd);

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// The module whose resources the windows are built from: the executable.
HINSTANCE AfxGetResourceHandle();
// The top-level window that hWnd belongs to: hWnd itself unless it is a child.
HWND TopLevelOf(HWND hWnd);
bool HasWindowClass(HWND hWnd, const char* windowClass);
std::string WindowText(HWND hWnd);
