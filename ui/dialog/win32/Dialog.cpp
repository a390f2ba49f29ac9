#include "ui/dialog/Dialog.h"

#include "ui/dialog/win32/WindowSupport.h"

#include <deque>

// The dialog procedure and the modal loop, in the manner of the framework:
// the dialog is created modeless from its template and runs a loop of its
// own, which offers each message to the wrappers of its window and their
// parents (PreTranslateMessage) and to the dialog manager's keyboard handling
// before dispatching it.
class CDialogWindow {
public:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static void RunModalLoop(CDialog& dialog);

private:
    static BOOL Initialise(CDialog& dialog, HWND hWnd);
    static void CentreWindow(HWND hWnd);
    static BOOL PreTranslate(const CDialog& dialog, MSG& message);
};

namespace {

// The system command being dispatched, for its default handling.
LPARAM g_sysCommandPosition = 0;

HWND OwnerOf(const CWnd* parent)
{
    return parent ? TopLevelOf(parent->GetSafeHwnd()) : nullptr;
}

RECT WorkAreaOf(HWND hWnd)
{
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    return monitor.rcWork;
}

} // namespace

INT_PTR CALLBACK CDialogWindow::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return Initialise(*reinterpret_cast<CDialog*>(lParam), hWnd);
    auto* dialog = static_cast<CDialog*>(CWndBinding::Find(hWnd));
    if (!dialog)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        if (lParam)
            dialog->NotifyFromControl(reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
        else
            dialog->OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_SYSCOMMAND: {
        const LPARAM outer = g_sysCommandPosition;
        g_sysCommandPosition = lParam;
        dialog->OnSysCommand(static_cast<UINT>(wParam));
        g_sysCommandPosition = outer;
        return TRUE;
    }
    case WM_QUERYDRAGICON: return reinterpret_cast<INT_PTR>(dialog->OnQueryDragIcon());
    case WM_NCDESTROY: CWndBinding::Unbind(hWnd); return FALSE;
    default: return FALSE;
    }
}

// A window still hidden and unmoved when its initialisation ends is centred.
BOOL CDialogWindow::Initialise(CDialog& dialog, HWND hWnd)
{
    CWndBinding::Bind(&dialog, hWnd, false);
    RECT before = {};
    GetWindowRect(hWnd, &before);
    const BOOL focusFirstTabStop = dialog.OnInitDialog();
    RECT after = {};
    GetWindowRect(hWnd, &after);
    if (!dialog.m_ended && !IsWindowVisible(hWnd) && EqualRect(&before, &after))
        CentreWindow(hWnd);
    return focusFirstTabStop;
}

// Over the owner, or in the work area when the owner is minimized or hidden,
// and inside the work area.
void CDialogWindow::CentreWindow(HWND hWnd)
{
    const HWND owner = GetWindow(hWnd, GW_OWNER);
    const bool overOwner = owner && IsWindowVisible(owner) && !IsIconic(owner);
    const RECT workArea = WorkAreaOf(overOwner ? owner : hWnd);
    RECT centre = workArea;
    if (overOwner)
        GetWindowRect(owner, &centre);
    RECT window = {};
    GetWindowRect(hWnd, &window);
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    LONG left = (centre.left + centre.right - width) / 2;
    LONG top = (centre.top + centre.bottom - height) / 2;
    left = std::max(workArea.left, std::min(left, workArea.right - width));
    top = std::max(workArea.top, std::min(top, workArea.bottom - height));
    SetWindowPos(hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Every wrapper from the message's window up to the dialog sees it first;
// then the dialog manager takes the dialog's keys.
BOOL CDialogWindow::PreTranslate(const CDialog& dialog, MSG& message)
{
    for (HWND hWnd = message.hwnd; hWnd; hWnd = GetParent(hWnd)) {
        CWnd* wnd = CWndBinding::Find(hWnd);
        if (wnd && wnd->PreTranslateMessage(&message))
            return TRUE;
        if (hWnd == dialog.GetSafeHwnd())
            break;
    }
    return IsDialogMessageW(dialog.GetSafeHwnd(), &message);
}

void CDialogWindow::RunModalLoop(CDialog& dialog)
{
    MSG message;
    while (!dialog.m_ended) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            // WM_QUIT belongs to the outermost loop.
            if (got == 0)
                PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (!PreTranslate(dialog, message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

CDialog::~CDialog()
{
    DestroyWindow();
}

// The owner is disabled while the dialog runs, and given back the activation
// before the dialog goes.
int CDialog::DoModal()
{
    m_result = -1;
    const HWND owner = OwnerOf(m_pParentWnd);
    const bool disableOwner = owner && IsWindowEnabled(owner);
    if (disableOwner)
        EnableWindow(owner, FALSE);
    if (CreateAndInitialise()) {
        if (!IsWindowVisible(GetSafeHwnd()))
            ::ShowWindow(GetSafeHwnd(), SW_SHOWNORMAL);
        CDialogWindow::RunModalLoop(*this);
    }
    if (GetSafeHwnd())
        SetWindowPos(GetSafeHwnd(), nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (disableOwner)
        EnableWindow(owner, TRUE);
    if (owner && GetActiveWindow() == GetSafeHwnd())
        SetActiveWindow(owner);
    DestroyWindow();
    return m_result;
}

BOOL CDialog::Create()
{
    if (!CreateAndInitialise())
        return FALSE;
    ::ShowWindow(GetSafeHwnd(), SW_SHOWNORMAL);
    return TRUE;
}

BOOL CDialog::CreateAndInitialise()
{
    m_ended = false;
    const HWND hWnd = CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_templateId), OwnerOf(m_pParentWnd),
                                         &CDialogWindow::DialogProc, reinterpret_cast<LPARAM>(this));
    return hWnd && !m_ended;
}

// The loop that runs the dialog sees the end once the message being handled
// returns; the posted message wakes it should it wait.
void CDialog::EndDialog(int result)
{
    m_result = result;
    m_ended = true;
    if (GetSafeHwnd())
        PostMessageW(GetSafeHwnd(), WM_NULL, 0, 0);
}

BOOL CDialog::DestroyWindow()
{
    return GetSafeHwnd() ? ::DestroyWindow(GetSafeHwnd()) : FALSE;
}

HWND CDialog::GetDlgItem(int id) const
{
    return ::GetDlgItem(GetSafeHwnd(), id);
}

void CDialog::OnSysCommand(UINT id)
{
    DefWindowProcW(GetSafeHwnd(), WM_SYSCOMMAND, id, g_sysCommandPosition);
}

void CDialog::ShowWindow(int command)
{
    ::ShowWindow(GetSafeHwnd(), command);
}

BOOL CDialog::IsIconic() const
{
    return ::IsIconic(GetSafeHwnd());
}

void CDialog::SetIcon(HICON icon, int kind)
{
    SendMessageW(GetSafeHwnd(), WM_SETICON, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(icon));
}

namespace {

// Boxes of the system's own (message boxes, the common dialogs) close as
// their close boxes make them.
BOOL CALLBACK EndDialogAbove(HWND hWnd, LPARAM mainWindow)
{
    if (hWnd == reinterpret_cast<HWND>(mainWindow) || !IsWindowVisible(hWnd))
        return TRUE;
    if (auto* dialog = dynamic_cast<CDialog*>(CWndBinding::Find(hWnd)))
        dialog->EndDialog(IDCANCEL);
    else if (HasWindowClass(hWnd, "#32770"))
        PostMessageW(hWnd, WM_CLOSE, 0, 0);
    return TRUE;
}

std::deque<std::function<void()>>& PostedCalls()
{
    static std::deque<std::function<void()>> calls;
    return calls;
}

void CALLBACK RunPostedCalls(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    while (!PostedCalls().empty()) {
        const std::function<void()> call = std::move(PostedCalls().front());
        PostedCalls().pop_front();
        call();
    }
}

} // namespace

void AfxCloseAllDialogs(CDialog& mainWindow)
{
    EnumThreadWindows(GetCurrentThreadId(), EndDialogAbove, reinterpret_cast<LPARAM>(mainWindow.GetSafeHwnd()));
    mainWindow.SendCommand(IDCANCEL);
}

// A windowless timer's message reaches its procedure from whichever loop
// dispatches it, the system's boxes' loops included.
void AfxPostCall(std::function<void()> call)
{
    PostedCalls().push_back(std::move(call));
    SetTimer(nullptr, 0, 0, RunPostedCalls);
}
