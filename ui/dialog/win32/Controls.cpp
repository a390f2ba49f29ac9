#include "ui/dialog/Controls.h"

#include "platform/win32/WideText.h"
#include "ui/dialog/ControlState.h"
#include "ui/dialog/win32/WindowSupport.h"

CWnd::~CWnd()
{
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!IsWindow(hWnd) || !AcceptsWindow(hWnd))
        return FALSE;
    return Attach(hWnd);
}

BOOL CWnd::Attach(HWND hWnd)
{
    CWndBinding::Bind(this, hWnd, true);
    return TRUE;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return CWndBinding::Find(hWnd);
}

bool CWnd::AcceptsWindow(HWND) const
{
    return true;
}

void CWnd::SetWindowText(const std::string& text)
{
    SetWindowTextW(m_hWnd, WidenForDisplay(text).c_str());
}

std::string CWnd::GetWindowText() const
{
    return WindowText(m_hWnd);
}

DWORD CWnd::GetStyle() const
{
    return static_cast<DWORD>(GetWindowLongW(m_hWnd, GWL_STYLE));
}

HWND CWnd::GetParent() const
{
    return ::GetParent(m_hWnd);
}

RECT CWnd::GetRectInParent() const
{
    RECT rect = {};
    GetWindowRect(m_hWnd, &rect);
    MapWindowPoints(HWND_DESKTOP, ::GetParent(m_hWnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HFONT CWnd::GetFont(HWND hWnd)
{
    return reinterpret_cast<HFONT>(SendMessageW(hWnd, WM_GETFONT, 0, 0));
}

void CWnd::SetFont(HFONT font)
{
    SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void CWnd::SetTimer(UINT_PTR id, UINT elapseMs)
{
    if (::SetTimer(m_hWnd, id, elapseMs, nullptr))
        CWndBinding::NoteTimer(m_hWnd, id, true);
}

void CWnd::KillTimer(UINT_PTR id)
{
    ::KillTimer(m_hWnd, id);
    CWndBinding::NoteTimer(m_hWnd, id, false);
}

bool CEdit::AcceptsWindow(HWND hWnd) const
{
    return IsEditControl(hWnd);
}

int CListBox::AddString(const std::string& text)
{
    if (!m_hWnd)
        return LB_ERR;
    const std::wstring item = WidenForDisplay(text);
    return static_cast<int>(SendMessageW(m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str())));
}

int CListBox::DeleteString(UINT index)
{
    return static_cast<int>(SendMessageW(m_hWnd, LB_DELETESTRING, index, 0));
}

int CListBox::GetCurSel() const
{
    return static_cast<int>(SendMessageW(m_hWnd, LB_GETCURSEL, 0, 0));
}

void CListBox::GetText(int index, std::string& text) const
{
    const LRESULT length = SendMessageW(m_hWnd, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR)
        return;
    std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(m_hWnd, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<std::size_t>(length));
    text = NarrowToUtf8(item);
}

bool CListBox::AcceptsWindow(HWND hWnd) const
{
    return HasWindowClass(hWnd, "ListBox");
}

BOOL CButton::Create(const std::string& caption, DWORD style, const RECT& rect, HWND parent, int id)
{
    HWND button = CreateWindowExW(0, L"BUTTON", WidenForDisplay(caption).c_str(), style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), AfxGetResourceHandle(), nullptr);
    return button && Attach(button);
}

bool CButton::AcceptsWindow(HWND hWnd) const
{
    return HasWindowClass(hWnd, "Button");
}
