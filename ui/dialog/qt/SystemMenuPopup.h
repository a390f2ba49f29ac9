#pragma once
// The system menu on Qt. Window managers on Linux do not let a program extend
// theirs, so a dialog carries its own popup, opened where the window manager's
// would open (Alt+Space, a right-click on the background): Restore, Minimize
// and Close, and whatever the program appends.
#include "ui/dialog/SystemMenu.h"

#include <QObject>

class QAction;
class QMenu;
class QPoint;
class QWidget;

class CSystemMenuPopup : public QObject, public CSystemMenu {
    Q_OBJECT
public:
    CSystemMenuPopup(CDialog* dialog, QWidget* window);

    BOOL AppendMenu(UINT flags, UINT_PTR id, const std::string& text) override;
    // Opens the popup at a global position and returns at once.
    void Popup(const QPoint& globalPos);

private:
    void AddCommand(UINT id, const QString& text);
    void EnableForWindowState();

    CDialog* m_dialog;
    QMenu* m_menu; // owned by the window
    QAction* m_restore = nullptr;
    QAction* m_minimize = nullptr;
};
