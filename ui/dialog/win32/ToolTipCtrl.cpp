#include "ui/dialog/ToolTipCtrl.h"

#include "ui/dialog/win32/WindowSupport.h"

#include <commctrl.h>

BOOL CToolTipCtrl::Create(CWnd* pOwner)
{
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    const HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                     CW_USEDEFAULT, pOwner->GetSafeHwnd(), nullptr, AfxGetResourceHandle(), nullptr);
    return tip && Attach(tip);
}

void CToolTipCtrl::Activate(BOOL bActivate)
{
    SendMessageA(GetSafeHwnd(), TTM_ACTIVATE, static_cast<WPARAM>(bActivate), 0);
}

// The tool is named by its handle; its text is loaded from the resources by id.
BOOL CToolTipCtrl::AddTool(CWnd* pWnd, UINT nIDText)
{
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = ::GetParent(pWnd->GetSafeHwnd());
    tool.uId = reinterpret_cast<UINT_PTR>(pWnd->GetSafeHwnd());
    tool.hinst = AfxGetResourceHandle();
    tool.lpszText = MAKEINTRESOURCEA(nIDText);
    return static_cast<BOOL>(SendMessageA(GetSafeHwnd(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)));
}

void CToolTipCtrl::RelayEvent(MSG* pMsg)
{
    SendMessageA(GetSafeHwnd(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(pMsg));
}
