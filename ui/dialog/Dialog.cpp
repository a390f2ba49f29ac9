#include "ui/dialog/Dialog.h"

#include "platform/MessageBox.h"
#include "res/ResourceIds.h"
#include "ui/dialog/DataExchange.h"
#include "ui/dialog/SystemMenu.h"
#include "ui/dialog/TemplateLoader.h"
#include "ui/dialog/WindowPlacement.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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
    if (!m_ended && !isVisible() && !testAttribute(Qt::WA_Moved))
        CentreWindowWhenShown(this);
    return !m_ended;
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
