#include "ui/dialog/Controls.h"

void CWnd::OnTimer(UINT_PTR)
{
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWnd::OnChildNotify(int)
{
    return FALSE;
}
