#pragma once
// A read-only directory field with a "..." browse button against its right
// edge; a click opens the directory chooser from the field's text, and
// resting the mouse on the button shows "Modify".
#include "ui/dialog/Controls.h"
#include "ui/dialog/ToolTipCtrl.h"

#include <string>

class CDataExchange;
class CDirEdit;

class CDirBrowseButton : public CButton {
public:
    void SetEdit(CDirEdit* pEdit) { m_pEdit = pEdit; }
    void OnClicked();
    // The button's own click, reflected back to it by the dialog.
    BOOL OnChildNotify(int notification) override;
    // The first message creates the tooltip; every message is relayed to it.
    BOOL PreTranslateMessage(MSG* pMsg) override;

private:
    CDirEdit* m_pEdit = nullptr;
    BOOL m_bFirstMessage = TRUE;
    CToolTipCtrl m_toolTip;
};

class CDirEdit : public CEdit {
public:
    // The one option bit: always use the legacy directory dialog.
    static constexpr int kForceLegacyDialog = 1;

    // Takes over an existing edit control and creates the button; FALSE when
    // the control is missing, not an edit control or not read-only.
    BOOL SubclassEdit(HWND hWnd);
    BOOL CreateBrowseButton();
    void SetOptions(int nOptions, const std::string& strTitle);
    void OnBrowse();

private:
    CDirBrowseButton m_browseButton;
    int m_nOptions = 0;
    std::string m_strTitle;
};

// Binds rControl to control nIDC at the first load exchange (raising the
// not-supported failure when that fails) and stores options and title at
// every exchange.
void DDX_DirEdit(CDataExchange* pDX, int nIDC, CDirEdit& rControl, int nOptions, const std::string& strTitle);
