#include "ui/dialog/Dialog.h"

#include "platform/MessageBox.h"
#include "res/ResourceIds.h"
#include "ui/dialog/DataExchange.h"
#include "ui/dialog/SystemMenu.h"
#include "ui/dialog/qt/TemplateLoader.h"

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

CDialog::CDialog(int templateId, QWidget* parent)
    : QDialog(parent),
      m_templateId(templateId)
{
}

CDialog::~CDialog() = default;

int CDialog::DoModal()
{
    m_result = -1;
    if (BuildAndInitialise())
        exec();
    DestroyWindow();
    return m_result;
}

BOOL CDialog::Create()
{
    if (!BuildAndInitialise())
        return FALSE;
    show();
    return TRUE;
}

BOOL CDialog::BuildAndInitialise()
{
    if (!m_built) {
        if (!BuildDialogFromTemplate(m_templateId, this))
            return FALSE;
        ConnectCommands();
        m_built = true;
    }
    m_ended = false;
    if (OnInitDialog())
        FocusFirstTabStop();
    if (!m_ended && !isVisible() && !testAttribute(Qt::WA_Moved)) {
        m_assumedFrame = FrameMarginsOfShownWindows(this);
        CentreWindow(m_assumedFrame);
        m_centring = true;
    }
    return !m_ended;
}

// Centres the frame, title bar included, over the owner, or in the work area
// when the owner is minimized or hidden, and keeps it inside the work area.
// The window manager adds the frame only as it shows the window, so until
// then the frame of a window already shown stands in for it, and the window
// is put right once its own frame is known.
void CDialog::CentreWindow(const QMargins& frameMargins)
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

void CDialog::FinishCentring()
{
    m_centring = false;
    if (windowHandle())
        windowHandle()->removeEventFilter(this);
    if (FrameMarginsOf(this) != m_assumedFrame)
        CentreWindow(FrameMarginsOf(this));
}

// Some platforms frame the window as it is created; under a window manager
// the frame is known when the window is first exposed.
void CDialog::showEvent(QShowEvent* event)
{
    if (m_centring && !FrameMarginsOf(this).isNull())
        FinishCentring();
    else if (m_centring && windowHandle())
        windowHandle()->installEventFilter(this);
    QDialog::showEvent(event);
}

bool CDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (m_centring && watched == windowHandle() && event->type() == QEvent::Expose)
        FinishCentring();
    return QDialog::eventFilter(watched, event);
}

void CDialog::ConnectCommands()
{
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const int id = GetControlId(control);
        if (id == IDC_STATIC)
            continue;
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            connect(button, &QAbstractButton::clicked, this, [this, id] { NotifyFromControl(id, BN_CLICKED); });
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            connect(edit, &QLineEdit::textChanged, this, [this, id] { NotifyFromControl(id, EN_CHANGE); });
    }
}

void CDialog::FocusFirstTabStop()
{
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control->focusPolicy() == Qt::StrongFocus && !control->isHidden() && control->isEnabled()) {
            control->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

BOOL CDialog::OnInitDialog()
{
    if (!UpdateData(FALSE)) {
        EndDialog(-1);
        return FALSE;
    }
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange exchange(this, bSaveAndValidate);
    BOOL ok = TRUE;
    ++m_exchangeDepth;
    try {
        DoDataExchange(&exchange);
    } catch (const CNotSupportedException&) {
        AfxMessageBox("An unsupported operation was attempted.", MB_ICONEXCLAMATION);
        ok = FALSE;
    }
    --m_exchangeDepth;
    return ok;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int result)
{
    m_result = result;
    m_ended = true;
    done(result);
}

BOOL CDialog::DestroyWindow()
{
    hide();
    return TRUE;
}

QWidget* CDialog::GetDlgItem(int id) const
{
    return FindControl(this, id);
}

void CDialog::OnCommand(int id, int)
{
    if (id == IDOK)
        OnOK();
    else if (id == IDCANCEL)
        OnCancel();
}

void CDialog::SendCommand(int id, int notification)
{
    OnCommand(id, notification);
}

void CDialog::NotifyFromControl(int id, int notification)
{
    // The exchange's own writes into the controls are not the user's changes.
    if (m_exchangeDepth == 0)
        OnCommand(id, notification);
}

void CDialog::OnSysCommand(UINT id)
{
    switch (id & 0xFFF0) {
    case SC_CLOSE: SendCommand(IDCANCEL); break;
    case SC_MINIMIZE: ShowWindow(SW_SHOWMINIMIZED); break;
    case SC_RESTORE: ShowWindow(SW_RESTORE); break;
    default: break;
    }
}

void CDialog::OnSystemMenuRequest(const QPoint&)
{
}

void CDialog::ShowWindow(int command)
{
    switch (command) {
    case SW_HIDE: hide(); break;
    case SW_SHOWMINIMIZED:
        // Shown minimized before it was ever shown, the window keeps its
        // template position instead of being centred: its frame's corner,
        // so that the title bar stays on the screen once it is restored.
        if (!isVisible())
            move(pos());
        showMinimized();
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE: showNormal(); break;
    default: show(); break;
    }
}

BOOL CDialog::IsIconic() const
{
    return isMinimized();
}

void CDialog::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Space && modifiers == Qt::AltModifier) {
        OnSystemMenuRequest(mapToGlobal(QPoint(0, 0)));
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
            SendCommand(IDOK);
        return;
    case Qt::Key_Escape: SendCommand(IDCANCEL); return;
    default: QDialog::keyPressEvent(event);
    }
}

void CDialog::closeEvent(QCloseEvent* event)
{
    // EndDialog closes the window itself; any other close is the close box.
    if (m_ended)
        return event->accept();
    event->ignore();
    SendCommand(IDCANCEL);
}

// Only a right-click on the dialog's background, or on a static label, opens
// the menu; a control that passes its right-click up keeps it to itself.
void CDialog::contextMenuEvent(QContextMenuEvent* event)
{
    QWidget* under = childAt(event->pos());
    if (under && !qobject_cast<QLabel*>(under))
        return;
    OnSystemMenuRequest(event->globalPos());
}

void CDialog::reject()
{
    SendCommand(IDCANCEL);
}
