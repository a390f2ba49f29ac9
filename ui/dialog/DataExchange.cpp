#include "ui/dialog/DataExchange.h"

#include "ui/dialog/ControlState.h"
#include "ui/dialog/Controls.h"
#include "ui/dialog/Dialog.h"

void AfxThrowNotSupportedException()
{
    throw CNotSupportedException();
}

CDataExchange::CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate),
      m_pDlgWnd(pDlgWnd)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND control = m_pDlgWnd->GetDlgItem(nIDC);
    if (!control)
        AfxThrowNotSupportedException();
    m_idLastControl = nIDC;
    m_bEditLastControl = FALSE;
    return control;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    HWND control = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return control;
}

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value)
{
    HWND edit = pDX->PrepareEditCtrl(nIDC);
    if (!IsEditControl(edit))
        AfxThrowNotSupportedException();
    if (pDX->m_bSaveAndValidate)
        value = GetEditText(edit);
    else
        SetEditText(edit, value);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    HWND box = pDX->PrepareCtrl(nIDC);
    if (!IsCheckBox(box))
        AfxThrowNotSupportedException();
    if (pDX->m_bSaveAndValidate) {
        value = GetCheck(box);
        return;
    }
    if (value < 0 || value > 2)
        value = 0;
    SetCheck(box, value != 0);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.GetSafeHwnd())
        return;
    if (!rControl.SubclassWindow(pDX->PrepareCtrl(nIDC)))
        AfxThrowNotSupportedException();
}
