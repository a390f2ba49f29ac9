#include "ui/ServerApp.h"

#include "platform/MessageBox.h"
#include "platform/SessionSignals.h"
#include "platform/SocketLayer.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "ui/ServerDlg.h"

namespace {

// The end of the session saves the settings at once, as Exit does, since the
// system may end the process as soon as this returns; then the windows close
// as their close boxes do, and the run ends as after any close.
void EndForSession(CServerDlg& mainWindow)
{
    mainWindow.UpdateData(TRUE);
    mainWindow.SaveSettings();
    AfxCloseAllDialogs(mainWindow);
}

} // namespace

// Runs once the main window has initialised, from its modal loop.
void CServerApp::EndIfHeadlessWithoutService(CServerDlg& mainWindow)
{
    if (!m_headless || g_server == &mainWindow.m_server)
        return;
    m_exitCode = 1;
    mainWindow.SendCommand(IDCANCEL);
}

BOOL CServerApp::InitInstance()
{
    if (!AfxSocketInit()) {
        AfxMessageBox(LoadResString(IDS_SOCKETS_INIT_FAILED), MB_OK);
        m_exitCode = m_headless ? 1 : 0;
        return FALSE;
    }
    CServerDlg mainWindow(m_port);
    mainWindow.LoadSettings();
    m_pMainWnd = &mainWindow;
    InstallSessionSignals([&mainWindow] { EndForSession(mainWindow); });
    AfxPostCall([this, &mainWindow] { EndIfHeadlessWithoutService(mainWindow); });
    mainWindow.DoModal();
    // A late signal must not cut the save short, nor reach a window that is gone.
    InstallSessionSignals({});
    m_pMainWnd = nullptr;
    mainWindow.SaveSettings();
    return FALSE;
}

std::string AppNameFromPath(const std::string& executablePath)
{
    const std::string fileName = executablePath.substr(executablePath.find_last_of("/\\") + 1);
    const std::string::size_type extension = fileName.rfind('.');
    return extension == std::string::npos || extension == 0 ? fileName : fileName.substr(0, extension);
}
