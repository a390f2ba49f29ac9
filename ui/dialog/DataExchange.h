#pragma once
// Data exchange between dialog members and controls, in the manner of the
// Microsoft Foundation Classes' (MFC) DDX routines, run in either direction by
// CDialog::UpdateData.
#include "platform/WinUser.h"

#include <string>

class CDialog;
class CWnd;

// The one raised failure, MFC's not-supported exception, caught only by
// CDialog::UpdateData.
class CNotSupportedException { };
[[noreturn]] void AfxThrowNotSupportedException();

class CDataExchange {
public:
    CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate);

    // The control with this id; raises the not-supported failure when the
    // dialog has none.
    HWND PrepareCtrl(int nIDC);
    // As PrepareCtrl, and marks the control as the last edit control.
    HWND PrepareEditCtrl(int nIDC);

    BOOL m_bSaveAndValidate; // TRUE: controls to members
    CDialog* m_pDlgWnd;
    int m_idLastControl = 0;
    BOOL m_bEditLastControl = FALSE;
};

// The text of an edit control.
void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value);
// The state of a check box: load takes 0, 1 or 2 (2 shows as ticked, as any
// non-zero flag counts as set); any other value first becomes 0. Save gives
// 0 or 1.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// Binds rControl to the control by the first exchange of either direction;
// later exchanges do nothing.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
