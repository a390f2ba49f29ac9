#include "ui/dialog/qt/DialogWindow.h"

#include "res/ResourceIds.h"
#include "ui/dialog/Dialog.h"
#include "ui/dialog/qt/SystemMenuPopup.h"
#include "ui/dialog/qt/TemplateLoader.h"
#include "ui/dialog/qt/WindowHandle.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
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

} // namespace

CDialogWindow::CDialogWindow(CDialog& dialog, QWidget* parent)
    : QDialog(parent),
      m_dialog(dialog)
{
}

CDialogWindow* CDialogWindow::Build(CDialog& dialog)
{
    CWnd* parent = dialog.GetParentWnd();
    QWidget* owner = parent ? QtWidget(parent->GetSafeHwnd()) : nullptr;
    auto* window = new CDialogWindow(dialog, owner ? owner->window() : nullptr);
    if (!BuildDialogFromTemplate(dialog.GetTemplateId(), window)) {
        delete window;
        return nullptr;
    }
    window->ConnectCommands();
    new CWndBinding(&dialog, window);
    return window;
}

CDialogWindow* CDialogWindow::Of(const CDialog& dialog)
{
    return static_cast<CDialogWindow*>(QtWidget(dialog.GetSafeHwnd()));
}

void CDialogWindow::NotifyFromControl(QWidget* control, int id, int notification)
{
    if (auto* window = qobject_cast<CDialogWindow*>(control->parentWidget()))
        window->m_dialog.NotifyFromControl(QtHandle(control), id, notification);
    else if (CWnd* own = CWnd::FromHandlePermanent(QtHandle(control)))
        own->OnChildNotify(notification);
}

void CDialogWindow::ConnectCommands()
{
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const int id = GetControlId(control);
        if (id == IDC_STATIC)
            continue;
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            connect(button, &QAbstractButton::clicked, this,
                    [control, id] { NotifyFromControl(control, id, BN_CLICKED); });
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            connect(edit, &QLineEdit::textChanged, this, [control, id] { NotifyFromControl(control, id, EN_CHANGE); });
    }
}

BOOL CDialogWindow::Initialise()
{
    if (m_dialog.OnInitDialog())
        FocusFirstTabStop();
    if (!m_dialog.m_ended && !isVisible() && !testAttribute(Qt::WA_Moved)) {
        m_assumedFrame = FrameMarginsOfShownWindows(this);
        CentreWindow(m_assumedFrame);
        m_centring = true;
    }
    return !m_dialog.m_ended;
}

void CDialogWindow::FocusFirstTabStop()
{
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control->focusPolicy() == Qt::StrongFocus && !control->isHidden() && control->isEnabled()) {
            control->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

// Centres the frame, title bar included, over the owner, or in the work area
// when the owner is minimized or hidden, and keeps it inside the work area.
// The window manager adds the frame only as it shows the window, so until
// then the frame of a window already shown stands in for it, and the window
// is put right once its own frame is known.
void CDialogWindow::CentreWindow(const QMargins& frameMargins)
{
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    const bool overOwner = owner && owner->isVisible() && !owner->isMinimized();
    const QRect workArea = (overOwner ? owner->screen() : screen())->availableGeometry();
    QRect frame(QPoint(), size().grownBy(frameMargins));
    frame.moveCenter(overOwner ? owner->frameGeometry().center() : workArea.center());
    frame.moveRight(std::min(frame.right(), workArea.right()));
    frame.moveBottom(std::min(frame.bottom(), workArea.bottom()));
    frame.moveLeft(std::max(frame.left(), workArea.left()));
    frame.moveTop(std::max(frame.top(), workArea.top()));
    // Before it is shown the window is placed by its frame; after, it keeps its frame.
    move(frame.topLeft());
}

void CDialogWindow::FinishCentring()
{
    m_centring = false;
    if (windowHandle())
        windowHandle()->removeEventFilter(this);
    if (FrameMarginsOf(this) != m_assumedFrame)
        CentreWindow(FrameMarginsOf(this));
}

// Some platforms frame the window as it is created; under a window manager
// the frame is known when the window is first exposed.
void CDialogWindow::showEvent(QShowEvent* event)
{
    if (m_centring && !FrameMarginsOf(this).isNull())
        FinishCentring();
    else if (m_centring && windowHandle())
        windowHandle()->installEventFilter(this);
    QDialog::showEvent(event);
}

bool CDialogWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (m_centring && watched == windowHandle() && event->type() == QEvent::Expose)
        FinishCentring();
    return QDialog::eventFilter(watched, event);
}

void CDialogWindow::PopupSystemMenu(const QPoint& globalPos)
{
    if (CSystemMenu* menu = GetSystemMenu(&m_dialog))
        static_cast<CSystemMenuPopup*>(menu)->Popup(globalPos);
}

void CDialogWindow::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Space && modifiers == Qt::AltModifier) {
        PopupSystemMenu(mapToGlobal(QPoint(0, 0)));
        return;
    }
    if (modifiers != Qt::NoModifier)
        return QDialog::keyPressEvent(event);
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        else
            m_dialog.SendCommand(IDOK);
        return;
    case Qt::Key_Escape: m_dialog.SendCommand(IDCANCEL); return;
    default: QDialog::keyPressEvent(event);
    }
}

void CDialogWindow::closeEvent(QCloseEvent* event)
{
    // EndDialog closes the window itself; any other close is the close box.
    if (m_dialog.m_ended)
        return event->accept();
    event->ignore();
    m_dialog.SendCommand(IDCANCEL);
}

// Only a right-click on the dialog's background, or on a static label, opens
// the system menu; a control that passes its right-click up keeps it to
// itself.
void CDialogWindow::contextMenuEvent(QContextMenuEvent* event)
{
    QWidget* under = childAt(event->pos());
    if (under && !qobject_cast<QLabel*>(under))
        return;
    PopupSystemMenu(event->globalPos());
}

void CDialogWindow::reject()
{
    m_dialog.SendCommand(IDCANCEL);
}
