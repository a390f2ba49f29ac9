// Renders the main window and the About box to PNG files, as they look with
// a few settings filled in, for the README and for reviewing the layout.
#include "ui/AboutBox.h"
#include "ui/ServerDlg.h"
#include "ui/dialog/qt/WindowHandle.h"

#include <QApplication>
#include <QDialog>
#include <QDir>

#include <cstdio>

namespace {

bool Save(QWidget& window, const QString& path)
{
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QDir out(argc > 1 ? argv[1] : ".");

    CServerDlg mainWindow(0);
    mainWindow.m_writeDir = "/srv/tftp/uploads";
    mainWindow.m_enableWrite = 1;
    mainWindow.m_searchDirs = {"/srv/tftp/images", "/srv/tftp/configs"};
    if (!mainWindow.Create())
        return 1;
    CAboutBox aboutBox;
    if (!aboutBox.Create())
        return 1;
    const bool saved = Save(*QtDialog(mainWindow), out.filePath("vantrel-window.png"))
        && Save(*QtDialog(aboutBox), out.filePath("vantrel-about.png"));
    return saved ? 0 : 1;
}
