#include "ui/dialog/SystemMenu.h"

#include "res/DialogTemplates.h"
#include "res/WindowStyles.h"
#include "ui/dialog/Dialog.h"

#include <QMenu>

CSystemMenu::CSystemMenu(CDialog* window)
    : QObject(window),
      m_window(window),
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

BOOL CSystemMenu::AppendMenu(UINT flags, UINT_PTR id, const std::string& text)
{
    if (flags & MF_SEPARATOR)
        m_menu->addSeparator();
    else
        AddCommand(static_cast<UINT>(id), QString::fromLocal8Bit(text));
    return TRUE;
}

void CSystemMenu::Popup(const QPoint& globalPos)
{
    m_menu->popup(globalPos);
}

void CSystemMenu::AddCommand(UINT id, const QString& text)
{
    QAction* action = m_menu->addAction(text);
    action->setData(id);
    connect(action, &QAction::triggered, m_window, [this, id] { m_window->OnSysCommand(id); });
}

// As on Windows: Restore only for a minimized window, Minimize only otherwise.
void CSystemMenu::EnableForWindowState()
{
    const bool minimized = m_window->IsIconic();
    m_restore->setEnabled(minimized);
    m_minimize->setEnabled(!minimized);
}

CSystemMenu* GetSystemMenu(CDialog* window)
{
    if (auto* menu = window->findChild<CSystemMenu*>(QString(), Qt::FindDirectChildrenOnly))
        return menu;
    const CDialogTemplate* dialogTemplate = FindDialogTemplate(window->GetTemplateId());
    if (!dialogTemplate || !(dialogTemplate->style & WS_SYSMENU))
        return nullptr;
    return new CSystemMenu(window);
}
