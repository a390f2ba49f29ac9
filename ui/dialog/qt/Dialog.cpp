#include "ui/dialog/Dialog.h"

#include "ui/dialog/qt/DialogWindow.h"
#include "ui/dialog/qt/TemplateLoader.h"
#include "ui/dialog/qt/WindowHandle.h"

#include <QApplication>
#include <QTimer>

QDialog* QtDialog(const CDialog& dialog)
{
    return CDialogWindow::Of(dialog);
}

CDialog::~CDialog()
{
    delete CDialogWindow::Of(*this);
}

int CDialog::DoModal()
{
    m_result = -1;
    if (CreateAndInitialise())
        CDialogWindow::Of(*this)->exec();
    DestroyWindow();
    return m_result;
}

BOOL CDialog::Create()
{
    if (!CreateAndInitialise())
        return FALSE;
    CDialogWindow::Of(*this)->show();
    return TRUE;
}

BOOL CDialog::CreateAndInitialise()
{
    if (!GetSafeHwnd() && !CDialogWindow::Build(*this))
        return FALSE;
    m_ended = false;
    return CDialogWindow::Of(*this)->Initialise();
}

void CDialog::EndDialog(int result)
{
    m_result = result;
    m_ended = true;
    if (QDialog* window = CDialogWindow::Of(*this))
        window->done(result);
}

// The window is hidden, not deleted: its controls stay until the object
// goes, so the wrappers bound to them never dangle.
BOOL CDialog::DestroyWindow()
{
    if (QDialog* window = CDialogWindow::Of(*this))
        window->hide();
    return TRUE;
}

HWND CDialog::GetDlgItem(int id) const
{
    const QDialog* window = CDialogWindow::Of(*this);
    return window ? QtHandle(FindControl(window, id)) : nullptr;
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

void CDialog::ShowWindow(int command)
{
    QDialog* window = CDialogWindow::Of(*this);
    if (!window)
        return;
    switch (command) {
    case SW_HIDE: window->hide(); break;
    case SW_SHOWMINIMIZED:
        // Shown minimized before it was ever shown, the window keeps its
        // template position instead of being centred: its frame's corner,
        // so that the title bar stays on the screen once it is restored.
        if (!window->isVisible())
            window->move(window->pos());
        window->showMinimized();
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE: window->showNormal(); break;
    default: window->show(); break;
    }
}

BOOL CDialog::IsIconic() const
{
    const QDialog* window = CDialogWindow::Of(*this);
    return window && window->isMinimized();
}

// A Qt window has one icon for every size.
void CDialog::SetIcon(HICON icon, int)
{
    if (QDialog* window = CDialogWindow::Of(*this))
        window->setWindowIcon(QtIcon(icon));
}

void AfxPostCall(std::function<void()> call)
{
    QTimer::singleShot(0, qApp, std::move(call));
}

// The boxes open above the main window go first: its modal run can only end
// once their nested loops have returned.
void AfxCloseAllDialogs(CDialog& mainWindow)
{
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    QDialog* main = CDialogWindow::Of(mainWindow);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QDialog*>(window);
        if (box && box != main && box->isVisible())
            box->reject();
    }
    if (main)
        main->close();
}
