#include "ui/ServerApp.h"

#include "platform/MessageBox.h"
#include "platform/SessionSignals.h"
#include "platform/SocketLayer.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "ui/ServerDlg.h"

#include <QApplication>
#include <QFileInfo>

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

BOOL CServerApp::InitInstance()
{
    if (!AfxSocketInit()) {
        AfxMessageBox(LoadResString(IDS_SOCKETS_INIT_FAILED), MB_OK);
        return FALSE;
    }
    CServerDlg mainWindow(m_port);
    mainWindow.LoadSettings();
    m_pMainWnd = &mainWindow;
    InstallSessionSignals([&mainWindow] { CloseForSessionEnd(mainWindow); });
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
