#include "ui/dialog/win32/WindowSupport.h"

#include "platform/win32/WideText.h"

#include <set>
#include <unordered_map>

namespace {

struct Binding {
    CWnd* wnd;
    WNDPROC superProc;         // null for a dialog, which keeps its own procedure
    std::set<UINT_PTR> timers; // the wrapper's own; the control's own timers are the control's
};

std::unordered_map<HWND, Binding>& Bindings()
{
    static std::unordered_map<HWND, Binding> bindings;
    return bindings;
}

} // namespace

void CWndBinding::Bind(CWnd* wnd, HWND hWnd, bool subclass)
{
    WNDPROC superProc = nullptr;
    if (subclass)
        superProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWndBinding::WindowProc)));
    Bindings()[hWnd] = {wnd, superProc, {}};
    wnd->m_hWnd = hWnd;
}

void CWndBinding::Unbind(HWND hWnd)
{
    const auto found = Bindings().find(hWnd);
    if (found == Bindings().end())
        return;
    found->second.wnd->m_hWnd = nullptr;
    Bindings().erase(found);
}

void CWndBinding::NoteTimer(HWND hWnd, UINT_PTR id, bool running)
{
    const auto found = Bindings().find(hWnd);
    if (found == Bindings().end())
        return;
    if (running)
        found->second.timers.insert(id);
    else
        found->second.timers.erase(id);
}

CWnd* CWndBinding::Find(HWND hWnd)
{
    const auto found = Bindings().find(hWnd);
    return found == Bindings().end() ? nullptr : found->second.wnd;
}

LRESULT CALLBACK CWndBinding::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto found = Bindings().find(hWnd);
    if (found == Bindings().end())
        return DefWindowProcW(hWnd, message, wParam, lParam);
    if (message == WM_TIMER && lParam == 0 && found->second.timers.count(wParam)) {
        found->second.wnd->OnTimer(wParam);
        return 0;
    }
    const WNDPROC superProc = found->second.superProc;
    const LRESULT result = CallWindowProcW(superProc, hWnd, message, wParam, lParam);
    if (message == WM_NCDESTROY)
        Unbind(hWnd);
    return result;
}

HINSTANCE AfxGetResourceHandle()
{
    return GetModuleHandleW(nullptr);
}

HWND TopLevelOf(HWND hWnd)
{
    while (hWnd && (GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD))
        hWnd = GetParent(hWnd);
    return hWnd;
}

bool HasWindowClass(HWND hWnd, const char* windowClass)
{
    wchar_t name[32] = L"";
    return IsWindow(hWnd) && GetClassNameW(hWnd, name, 32) && lstrcmpiW(name, WidenUtf8(windowClass).c_str()) == 0;
}

std::string WindowText(HWND hWnd)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hWnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hWnd, text.data(), static_cast<int>(text.size()))));
    return NarrowToUtf8(text);
}
