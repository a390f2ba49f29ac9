#pragma once
// The window's system menu. Window managers on Linux do not let a program
// extend theirs, so a dialog carries its own popup, opened where CDialog
// reports a system-menu request (Alt+Space, a right-click on the background):
// Restore, Minimize and Close, and whatever the program appends. A chosen
// entry goes to the dialog's OnSysCommand with its command id, as
// WM_SYSCOMMAND would.
#include "platform/WinTypes.h"

#include <QObject>

#include <string>

class CDialog;
class QAction;
class QMenu;
class QPoint;

constexpr UINT SC_MINIMIZE = 0xF020;
constexpr UINT SC_CLOSE = 0xF060;
constexpr UINT SC_RESTORE = 0xF120;

constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_SEPARATOR = 0x0800;

class CSystemMenu : public QObject {
    Q_OBJECT
public:
    explicit CSystemMenu(CDialog* window);

    // MF_SEPARATOR appends a separator; MF_STRING an entry with id and text,
    // whose '&' marks the mnemonic letter. Non-zero on success.
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const std::string& text = {});
    // Opens the popup at a global position and returns at once.
    void Popup(const QPoint& globalPos);

private:
    void AddCommand(UINT id, const QString& text);
    void EnableForWindowState();

    CDialog* m_window;
    QMenu* m_menu; // owned by the window
    QAction* m_restore = nullptr;
    QAction* m_minimize = nullptr;
};

// The window's system menu, made at the first call; null when the window's
// template has no WS_SYSMENU style.
CSystemMenu* GetSystemMenu(CDialog* window);
