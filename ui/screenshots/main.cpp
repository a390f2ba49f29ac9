// Takes pictures of the windows, as they look with a few settings filled in,
// for the README and for reviewing the layout: the main window and the About
// box drawn on their own, and, on a display with a window manager, the
// screen as a user sees it at start and with the directory chooser open
// over the main window, and the window's icon at each size it offers.
#include "ui/AboutBox.h"
#include "ui/ServerDlg.h"
#include "ui/dialog/qt/DirectoryDialogSeam.h"
#include "ui/dialog/qt/WindowHandle.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QScreen>
#include <QThread>

#include <cstdio>

namespace {

bool Save(const QPixmap& picture, const QString& path)
{
    if (!picture.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Long enough for the window manager to frame and place what was just shown.
void Settle()
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 700) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
}

QPixmap Screen()
{
    Settle();
    return QApplication::primaryScreen()->grabWindow(0);
}

QString Placement(const QWidget& window)
{
    const QRect frame = window.frameGeometry();
    const QRect screen = window.screen()->availableGeometry();
    return QStringLiteral("%1: frame %2x%3 at %4,%5, centre off by %6,%7, on a %8x%9 screen")
        .arg(window.windowTitle())
        .arg(frame.width())
        .arg(frame.height())
        .arg(frame.x())
        .arg(frame.y())
        .arg(frame.center().x() - screen.center().x())
        .arg(frame.center().y() - screen.center().y())
        .arg(screen.width())
        .arg(screen.height());
}

// The icon at each size, in a row, once as it is and once four times enlarged.
QPixmap IconSizes(const QIcon& icon)
{
    constexpr int kGap = 8, kEnlarged = 4;
    const QList<QSize> sizes = icon.availableSizes();
    int width = kGap;
    for (const QSize& size : sizes)
        width += size.width() * (1 + kEnlarged) + 2 * kGap;
    QPixmap row(width, 48 * kEnlarged + 2 * kGap);
    row.fill(Qt::white);
    QPainter painter(&row);
    int x = kGap;
    for (const QSize& size : sizes) {
        const QPixmap pixmap = icon.pixmap(size, 1.0);
        painter.drawPixmap(x, kGap, pixmap);
        x += size.width() + kGap;
        painter.drawPixmap(QRect(QPoint(x, kGap), size * kEnlarged), pixmap);
        x += size.width() * kEnlarged + kGap;
    }
    return row;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QDir out(argc > 1 ? argv[1] : ".");
    const bool managed = QApplication::platformName() == "xcb";

    CServerDlg mainWindow(0);
    mainWindow.m_writeDir = "/srv/tftp/uploads";
    mainWindow.m_enableWrite = 1;
    mainWindow.m_searchDirs = {"/srv/tftp/images", "/srv/tftp/configs"};
    if (!mainWindow.Create())
        return 1;
    bool saved = Save(QtDialog(mainWindow)->grab(), out.filePath("vantrel-window.png"));
    if (managed) {
        saved = Save(Screen(), out.filePath("desktop-window.png")) && saved;
        std::printf("%s\n", qPrintable(Placement(*QtDialog(mainWindow))));
        saved = Save(IconSizes(QtDialog(mainWindow)->windowIcon()), out.filePath("window-icon.png")) && saved;
        SetDirectoryDialogSeam([&](const DirectoryDialogRequest& request) {
            saved = Save(Screen(), out.filePath("desktop-chooser.png")) && saved;
            std::printf("%s\n", qPrintable(Placement(*request.dialog)));
            return std::nullopt;
        });
        mainWindow.OnAddSearchDir();
    }
    CAboutBox aboutBox;
    if (!aboutBox.Create())
        return 1;
    saved = Save(QtDialog(aboutBox)->grab(), out.filePath("vantrel-about.png")) && saved;
    return saved ? 0 : 1;
}
