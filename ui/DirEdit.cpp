#include "ui/DirEdit.h"

#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "ui/DirChooser.h"
#include "ui/dialog/DataExchange.h"

void CDirBrowseButton::OnClicked()
{
    if (m_pEdit)
        m_pEdit->OnBrowse();
}

BOOL CDirBrowseButton::OnChildNotify(int notification)
{
    if (notification != BN_CLICKED)
        return FALSE;
    OnClicked();
    return TRUE;
}

BOOL CDirBrowseButton::PreTranslateMessage(MSG* pMsg)
{
    // Cleared first: registering the tool sends the button messages of its own.
    if (m_bFirstMessage) {
        m_bFirstMessage = FALSE;
        m_toolTip.Create(this);
        m_toolTip.Activate(TRUE);
        m_toolTip.AddTool(this, IDS_MODIFY);
    }
    m_toolTip.RelayEvent(pMsg);
    return CButton::PreTranslateMessage(pMsg);
}

BOOL CDirEdit::SubclassEdit(HWND hWnd)
{
    if (!SubclassWindow(hWnd))
        return FALSE;
    if (!(GetStyle() & ES_READONLY))
        return FALSE;
    return CreateBrowseButton();
}

BOOL CDirEdit::CreateBrowseButton()
{
    const HWND parent = GetParent();
    if (!parent)
        return FALSE;
    const RECT edit = GetRectInParent();
    const LONG height = edit.bottom - edit.top;
    const RECT button = {edit.right, edit.top, edit.right + 8 * height / 10, edit.bottom};
    // No tab stop: the Tab key passes the button by.
    const BOOL created = m_browseButton.Create(LoadResString(IDS_BROWSE), WS_CHILD | WS_VISIBLE | WS_GROUP, button,
                                               parent, IDC_BROWSE);
    m_browseButton.SetEdit(this);
    // The parent's font, or the system's when the parent has none of its own.
    m_browseButton.SetFont(GetFont(parent));
    return created;
}

void CDirEdit::SetOptions(int nOptions, const std::string& strTitle)
{
    m_nOptions = nOptions;
    m_strTitle = strTitle;
}

void CDirEdit::OnBrowse()
{
    std::string path = GetWindowText();
    CDirChooser chooser;
    if (chooser.ChooseDirectory(path, GetSafeHwnd(), (m_nOptions & kForceLegacyDialog) != 0, m_strTitle))
        SetWindowText(path);
}

void DDX_DirEdit(CDataExchange* pDX, int nIDC, CDirEdit& rControl, int nOptions, const std::string& strTitle)
{
    HWND control = pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate && !rControl.GetSafeHwnd() && !rControl.SubclassEdit(control))
        AfxThrowNotSupportedException();
    rControl.SetOptions(nOptions, strTitle);
}
