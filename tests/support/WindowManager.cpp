#include "WindowManager.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>

bool WindowsAreFramed()
{
    return QApplication::platformName() != "offscreen";
}

bool WaitUntil(const std::function<bool()>& condition)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < 5000) {
        QApplication::processEvents();
        QThread::msleep(1);
    }
    return condition();
}

bool WaitUntilOpened(QWidget* window)
{
    return WaitUntil([window] {
        const bool framed = window->frameGeometry() != window->geometry();
        return window->isVisible() && window->isActiveWindow() && (framed || !WindowsAreFramed());
    });
}
