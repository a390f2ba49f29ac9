#include "ui/ServerApp.h"

#include "platform/MessageBox.h"
#include "platform/SessionSignals.h"
#include "platform/SocketLayer.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "ui/ServerDlg.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

namespace {

// The end of the session closes the main window as its close box does. The
// boxes open above it go first: the main window's modal run can only end once
// their nested loops have returned.
void CloseForSessionEnd(CServerDlg& mainWindow)
{
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QDialog*>(window);
        if (box && box != &mainWindow && box->isVisible())
            box->reject();
    }
    mainWindow.close();
}

} // namespace

// Runs once the main window has initialised, from its modal loop.
void CServerApp::EndIfHeadlessWithoutService(CServerDlg& mainWindow)
{
    if (!m_headless || g_server == &mainWindow.m_server)
        return;
    m_exitCode = 1;
    mainWindow.close();
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
    InstallSessionSignals([&mainWindow] { CloseForSessionEnd(mainWindow); });
    QTimer::singleShot(0, &mainWindow, [this, &mainWindow] { EndIfHeadlessWithoutService(mainWindow); });
    mainWindow.DoModal();
    // A late signal must not cut the save short, nor reach a window that is gone.
    InstallSessionSignals({});
    m_pMainWnd = nullptr;
    mainWindow.SaveSettings();
    return FALSE;
}

std::string AppNameFromPath(const std::string& executablePath)
{
    return QFileInfo(QString::fromLocal8Bit(executablePath)).completeBaseName().toLocal8Bit().toStdString();
}
