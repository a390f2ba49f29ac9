// A hook that the end-to-end test sets on vantrel.exe's thread, so that what
// another process cannot read (a window's system menu, the fonts its
// controls draw with) is read in vantrel.exe itself.
#include "tests/e2e/win32/probe/WindowProbe.h"

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

bool HasClass(HWND window, const wchar_t* name)
{
    wchar_t kind[32] = L"";
    GetClassNameW(window, kind, 32);
    return lstrcmpiW(kind, name) == 0;
}

// The room a caption takes in the control's own font: a label wraps at words
// within its width; a button's caption is one line, beside the box of a
// check box.
SIZE CaptionSize(HWND control, const std::wstring& text, bool label, LONG style)
{
    RECT client = {};
    GetClientRect(control, &client);
    RECT needed = {0, 0, client.right, 0};
    const HDC dc = GetDC(control);
    const HGDIOBJ before = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    const UINT layout = label ? DT_WORDBREAK | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0) : DT_SINGLELINE;
    DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | layout);
    SelectObject(dc, before);
    ReleaseDC(control, dc);
    const LONG type = style & 0xF;
    if (!label)
        needed.right += (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX) ? GetSystemMetrics(SM_CXMENUCHECK) + 3 : 2;
    return {needed.right, needed.bottom};
}

BOOL CALLBACK NoteClippedCaption(HWND control, LPARAM lines)
{
    const bool label = HasClass(control, L"Static");
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const int length = GetWindowTextLengthW(control);
    if (!IsWindowVisible(control) || length == 0 || !(label || HasClass(control, L"Button"))
        || (label && (style & SS_TYPEMASK) == SS_ICON))
        return TRUE;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), length + 1)));
    RECT client = {};
    GetClientRect(control, &client);
    const SIZE needed = CaptionSize(control, text, label, style);
    if (needed.cx > client.right || needed.cy > client.bottom)
        *reinterpret_cast<std::wstring*>(lines) += text + L" needs " + std::to_wstring(needed.cx) + L"x"
            + std::to_wstring(needed.cy) + L" of " + std::to_wstring(client.right) + L"x"
            + std::to_wstring(client.bottom) + L"\n";
    return TRUE;
}

std::wstring Answer(HWND window, UINT question)
{
    std::wstring lines;
    if (question == RegisterWindowMessageW(kSystemMenuProbe))
        lines = DescribeMenu(GetSystemMenu(window, FALSE));
    else
        EnumChildWindows(window, NoteClippedCaption, reinterpret_cast<LPARAM>(&lines));
    return lines;
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK WindowProbe(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION
        && (call->message == RegisterWindowMessageW(kSystemMenuProbe)
            || call->message == RegisterWindowMessageW(kCaptionProbe))) {
        const std::wstring lines = Answer(call->hwnd, call->message);
        COPYDATASTRUCT data
            = {0, static_cast<DWORD>(lines.size() * sizeof(wchar_t)), const_cast<wchar_t*>(lines.data())};
        SendMessageW(reinterpret_cast<HWND>(call->lParam), WM_COPYDATA, reinterpret_cast<WPARAM>(call->hwnd),
                     reinterpret_cast<LPARAM>(&data));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
