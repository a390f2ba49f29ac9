#include "ui/dialog/win32/WindowSupport.h"

#include <unordered_map>

namespace {

struct Binding {
    CWnd* wnd;
    WNDPROC superProc; // null for a dialog, which keeps its own procedure
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
            SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWndBinding::WindowProc)));
    Bindings()[hWnd] = {wnd, superProc};
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

CWnd* CWndBinding::Find(HWND hWnd)
{
    const auto found = Bindings().find(hWnd);
    return found == Bindings().end() ? nullptr : found->second.wnd;
}

LRESULT CALLBACK CWndBinding::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto found = Bindings().find(hWnd);
    if (found == Bindings().end())
        return DefWindowProcA(hWnd, message, wParam, lParam);
    const Binding binding = found->second;
    if (message == WM_TIMER && lParam == 0) {
        binding.wnd->OnTimer(wParam);
        return 0;
    }
    const LRESULT result = CallWindowProcA(binding.superProc, hWnd, message, wParam, lParam);
    if (message == WM_NCDESTROY)
        Unbind(hWnd);
    return result;
}

HINSTANCE AfxGetResourceHandle()
{
    return GetModuleHandleA(nullptr);
}

HWND TopLevelOf(HWND hWnd)
{
    while (hWnd && (GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD))
        hWnd = GetParent(hWnd);
    return hWnd;
}

bool HasWindowClass(HWND hWnd, const char* windowClass)
{
    char name[32] = "";
    return IsWindow(hWnd) && GetClassNameA(hWnd, name, sizeof name) && lstrcmpiA(name, windowClass) == 0;
}

std::string WindowText(HWND hWnd)
{
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(hWnd)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(hWnd, text.data(), static_cast<int>(text.size()))));
    return text;
}
