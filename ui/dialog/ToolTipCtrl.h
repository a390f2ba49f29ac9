#pragma once
// The tooltip control of the common controls, in the manner of the Microsoft
// Foundation Classes' (MFC) CToolTipCtrl: a text shown while the mouse rests
// on a tool window, fed the tool's messages by RelayEvent.
#include "ui/dialog/Controls.h"

class CToolTipCtrl : public CWnd {
public:
    // Creates the tooltip window (window class "tooltips_class32", WS_POPUP),
    // owned by pOwner; FALSE when it cannot be created.
    BOOL Create(CWnd* pOwner);
    void Activate(BOOL bActivate);
    // Registers pWnd, the whole window, as a tool whose text is the string
    // nIDText of the program's resources.
    BOOL AddTool(CWnd* pWnd, UINT nIDText);
    void RelayEvent(MSG* pMsg);
};
