#include "ui/dialog/qt/SystemMenuPopup.h"
#include "res/DialogTemplates.h"
#include "ui/dialog/Dialog.h"
#include "ui/dialog/qt/WindowHandle.h"

#include <QMenu>

CSystemMenuPopup::CSystemMenuPopup(CDialog* dialog, QWidget* window)
    : QObject(window),
      m_dialog(dialog),
      m_menu(new QMenu(window))
{
    AddCommand(SC_RESTORE, "&Restore");
    AddCommand(SC_MINIMIZE, "Mi&nimize");
    m_menu->addSeparator();
    AddCommand(SC_CLOSE, "&Close");
    m_restore = m_menu->actions().at(0);
    m_minimize = m_menu->actions().at(1);
    connect(m_menu, &QMenu::aboutToShow, this, [this] { EnableForWindowState(); });
}

BOOL CSystemMenuPopup::AppendMenu(UINT flags, UINT_PTR id, const std::string& text)
{
    if (flags & MF_SEPARATOR)
        m_menu->addSeparator();
    else
        AddCommand(static_cast<UINT>(id), QString::fromLocal8Bit(text));
    return TRUE;
}

void CSystemMenuPopup::Popup(const QPoint& globalPos)
{
    m_menu->popup(globalPos);
}

void CSystemMenuPopup::AddCommand(UINT id, const QString& text)
{
    QAction* action = m_menu->addAction(text);
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { m_dialog->OnSysCommand(id); });
}

// As on Windows: Restore only for a minimized window, Minimize only otherwise.
void CSystemMenuPopup::EnableForWindowState()
{
    const bool minimized = m_dialog->IsIconic();
    m_restore->setEnabled(minimized);
    m_minimize->setEnabled(!minimized);
}

CSystemMenu* GetSystemMenu(CDialog* window)
{
    QWidget* widget = QtWidget(window->GetSafeHwnd());
    if (!widget)
        return nullptr;
    if (auto* menu = widget->findChild<CSystemMenuPopup*>(QString(), Qt::FindDirectChildrenOnly))
        return menu;
    const CDialogTemplate* dialogTemplate = FindDialogTemplate(window->GetTemplateId());
    if (!dialogTemplate || !(dialogTemplate->style & WS_SYSMENU))
        return nullptr;
    return new CSystemMenuPopup(window, widget);
}
