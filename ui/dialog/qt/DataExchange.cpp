#include "ui/dialog/DataExchange.h"

#include "ui/dialog/Controls.h"
#include "ui/dialog/Dialog.h"

#include <QCheckBox>
#include <QLineEdit>

void AfxThrowNotSupportedException()
{
    throw CNotSupportedException();
}

CDataExchange::CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate),
      m_pDlgWnd(pDlgWnd)
{
}

QWidget* CDataExchange::PrepareCtrl(int nIDC)
{
    QWidget* control = m_pDlgWnd->GetDlgItem(nIDC);
    if (!control)
        AfxThrowNotSupportedException();
    m_idLastControl = nIDC;
    m_bEditLastControl = FALSE;
    return control;
}

QWidget* CDataExchange::PrepareEditCtrl(int nIDC)
{
    QWidget* control = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return control;
}

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value)
{
    auto* edit = qobject_cast<QLineEdit*>(pDX->PrepareEditCtrl(nIDC));
    if (!edit)
        AfxThrowNotSupportedException();
    if (pDX->m_bSaveAndValidate)
        value = edit->text().toLocal8Bit().toStdString();
    else
        SetEditText(edit, QString::fromLocal8Bit(value));
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    auto* box = qobject_cast<QCheckBox*>(pDX->PrepareCtrl(nIDC));
    if (!box)
        AfxThrowNotSupportedException();
    if (pDX->m_bSaveAndValidate) {
        value = box->isChecked() ? 1 : 0;
        return;
    }
    if (value < 0 || value > 2)
        value = 0;
    box->setChecked(value != 0);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.GetSafeHwnd())
        return;
    if (!rControl.SubclassWindow(pDX->PrepareCtrl(nIDC)))
        AfxThrowNotSupportedException();
}
