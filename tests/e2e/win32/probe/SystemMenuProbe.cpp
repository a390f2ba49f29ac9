// A hook that the end-to-end test sets on vantrel.exe's thread, so that the
// system menu, which another process cannot read, is read in vantrel.exe
// itself: asked with the registered message kSystemMenuProbe, it sends the
// menu's entries to the asking window with WM_COPYDATA, one a line, as
// "<id> <flags> <text>".
#include "tests/e2e/win32/probe/SystemMenuProbe.h"

#include <string>

namespace {

std::wstring DescribeMenu(HMENU menu)
{
    std::wstring lines;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = L"";
        GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        lines += std::to_wstring(static_cast<int>(GetMenuItemID(menu, i))) + L" " + std::to_wstring(state) + L" " + text
            + L"\n";
    }
    return lines;
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK SystemMenuProbe(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == RegisterWindowMessageW(kSystemMenuProbe)) {
        const std::wstring lines = DescribeMenu(GetSystemMenu(call->hwnd, FALSE));
        COPYDATASTRUCT data
            = {0, static_cast<DWORD>(lines.size() * sizeof(wchar_t)), const_cast<wchar_t*>(lines.data())};
        SendMessageW(reinterpret_cast<HWND>(call->lParam), WM_COPYDATA, reinterpret_cast<WPARAM>(call->hwnd),
                     reinterpret_cast<LPARAM>(&data));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
