#include "ui/dialog/qt/WindowPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QMargins>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

QMargins FrameMarginsOf(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    return QMargins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                    frame.bottom() - inner.bottom());
}

// The frame of another window already shown, if any, as the best guess for
// one that the window manager has not framed yet.
QMargins FrameMarginsOfShownWindows(const QWidget* except)
{
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (window != except && window->isVisible() && !FrameMarginsOf(window).isNull())
            return FrameMarginsOf(window);
    }
    return {};
}

void CentreWindow(QWidget* window, const QMargins& frameMargins)
{
    QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    const bool overOwner = owner && owner->isVisible() && !owner->isMinimized();
    const QRect workArea = (overOwner ? owner->screen() : window->screen())->availableGeometry();
    const QSize room = workArea.size().shrunkBy(frameMargins);
    if (window->width() > room.width() || window->height() > room.height())
        window->resize(window->size().boundedTo(room));
    QRect frame(QPoint(), window->size().grownBy(frameMargins));
    frame.moveCenter(overOwner ? owner->frameGeometry().center() : workArea.center());
    frame.moveRight(std::min(frame.right(), workArea.right()));
    frame.moveBottom(std::min(frame.bottom(), workArea.bottom()));
    frame.moveLeft(std::max(frame.left(), workArea.left()));
    frame.moveTop(std::max(frame.top(), workArea.top()));
    // Before it is shown the window is placed by its frame; after, it keeps its frame.
    window->move(frame.topLeft());
}

// Lives as the window's child from the first placement until the window's
// own frame is known. Some platforms frame a window as it is created, so
// that its frame is known when it is shown; under a window manager it is
// known when the window is first exposed.
class FramedCentring : public QObject {
public:
    explicit FramedCentring(QWidget* window)
        : QObject(window),
          m_window(window),
          m_assumedFrame(FrameMarginsOfShownWindows(window))
    {
        CentreWindow(window, m_assumedFrame);
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Show) {
            if (!FrameMarginsOf(m_window).isNull())
                Finish();
            else if (m_window->windowHandle())
                m_window->windowHandle()->installEventFilter(this);
        } else if (watched == m_window->windowHandle() && event->type() == QEvent::Expose) {
            Finish();
        }
        return false;
    }

private:
    void Finish()
    {
        m_window->removeEventFilter(this);
        if (m_window->windowHandle())
            m_window->windowHandle()->removeEventFilter(this);
        if (FrameMarginsOf(m_window) != m_assumedFrame)
            CentreWindow(m_window, FrameMarginsOf(m_window));
        deleteLater();
    }

    QWidget* m_window;
    QMargins m_assumedFrame;
};

} // namespace

void CentreWindowWhenShown(QWidget* window)
{
    // A window not yet sized takes its natural size now, as it would when shown.
    if (!window->testAttribute(Qt::WA_Resized))
        window->adjustSize();
    new FramedCentring(window);
}
