#include "ui/dialog/ToolTipCtrl.h"

#include "res/StringTable.h"
#include "ui/dialog/qt/WindowHandle.h"

#include <QWidget>

// Qt shows a widget's tooltip itself; the control keeps no window of its own,
// is always active and needs no events relayed.
BOOL CToolTipCtrl::Create(CWnd* pOwner)
{
    return pOwner && pOwner->GetSafeHwnd();
}

void CToolTipCtrl::Activate(BOOL)
{
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, UINT nIDText)
{
    QWidget* tool = QtWidget(pWnd->GetSafeHwnd());
    if (!tool)
        return FALSE;
    tool->setToolTip(QString::fromLocal8Bit(LoadResString(nIDText)));
    return TRUE;
}

void CToolTipCtrl::RelayEvent(MSG*)
{
}
