#pragma once
// The application object: carries the process from start to end. The socket
// layer is checked, the main window is loaded with the settings, run until it
// is closed in any way, and the settings are saved.
#include "platform/WinTypes.h"

#include <string>

class CServerDlg;

class CServerApp {
public:
    // The service port; the program always uses 69.
    explicit CServerApp(UINT port = 69)
        : m_port(port)
    {
    }
    virtual ~CServerApp() = default;

    // Runs the whole program; always FALSE, so no message loop follows.
    virtual BOOL InitInstance();

    // The main window while its modal run lasts, null otherwise.
    CServerDlg* m_pMainWnd = nullptr;
    // Headless, no one sees the window: a start without service (no socket
    // layer, or port taken) ends the run at once with exit status 1, so that a
    // service manager sees the failure. Windowed, the window runs on.
    BOOL m_headless = FALSE;
    int m_exitCode = 0;

private:
    void EndIfHeadlessWithoutService(CServerDlg& mainWindow);

    UINT m_port;
};

// The program's name, the caption of every message box: the executable's
// file name without directory and extension.
std::string AppNameFromPath(const std::string& executablePath);
