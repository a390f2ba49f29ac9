#include "ui/dialog/Dialog.h"

#include "platform/MessageBox.h"
#include "ui/dialog/DataExchange.h"

CDialog::CDialog(int templateId, CWnd* pParentWnd)
    : m_templateId(templateId),
      m_pParentWnd(pParentWnd)
{
}

BOOL CDialog::OnInitDialog()
{
    if (!UpdateData(FALSE)) {
        EndDialog(-1);
        return FALSE;
    }
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange exchange(this, bSaveAndValidate);
    BOOL ok = TRUE;
    ++m_exchangeDepth;
    try {
        DoDataExchange(&exchange);
    } catch (const CNotSupportedException&) {
        AfxMessageBox("An unsupported operation was attempted.", MB_ICONEXCLAMATION);
        ok = FALSE;
    }
    --m_exchangeDepth;
    return ok;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnCommand(int id, int)
{
    if (id == IDOK)
        OnOK();
    else if (id == IDCANCEL)
        OnCancel();
}

void CDialog::SendCommand(int id, int notification)
{
    OnCommand(id, notification);
}

// The exchange's own writes into the controls are not the user's changes.
void CDialog::NotifyFromControl(HWND control, int id, int notification)
{
    if (m_exchangeDepth > 0)
        return;
    if (CWnd* own = FromHandlePermanent(control); own && own->OnChildNotify(notification))
        return;
    OnCommand(id, notification);
}

HICON CDialog::OnQueryDragIcon()
{
    return nullptr;
}
