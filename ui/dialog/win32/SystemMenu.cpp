#include "ui/dialog/SystemMenu.h"

#include "platform/win32/WideText.h"
#include "ui/dialog/Dialog.h"

namespace {

class CSystemMenuHandle : public CSystemMenu {
public:
    BOOL AppendMenu(UINT flags, UINT_PTR id, const std::string& text) override
    {
        const std::wstring item = WidenForDisplay(text);
        return AppendMenuW(m_hMenu, flags, id, (flags & MF_SEPARATOR) ? nullptr : item.c_str());
    }

    HMENU m_hMenu = nullptr;
};

} // namespace

// The menu is the window's own; the wrapper names the last one asked for.
CSystemMenu* GetSystemMenu(CDialog* window)
{
    static CSystemMenuHandle menu;
    menu.m_hMenu = ::GetSystemMenu(window->GetSafeHwnd(), FALSE);
    return menu.m_hMenu ? &menu : nullptr;
}
