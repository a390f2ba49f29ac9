#include "ui/dialog/qt/DialogWindow.h"

#include "res/ResourceIds.h"
#include "ui/dialog/Dialog.h"
#include "ui/dialog/qt/SystemMenuPopup.h"
#include "ui/dialog/qt/TemplateLoader.h"
#include "ui/dialog/qt/WindowHandle.h"
#include "ui/dialog/qt/WindowPlacement.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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
    if (!m_dialog.m_ended && !isVisible() && !testAttribute(Qt::WA_Moved))
        CentreWindowWhenShown(this);
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
