#pragma once
// A read-only directory field with a "..." browse button against its right
// edge; a click opens the directory chooser from the field's text.
#include "ui/dialog/Controls.h"

#include <QObject>
#include <string>

class CDataExchange;
class CDirEdit;

class CDirBrowseButton : public QObject, public CButton {
    Q_OBJECT
public:
    CDirBrowseButton() = default;
    ~CDirBrowseButton() override;
    void SetEdit(CDirEdit* pEdit) { m_pEdit = pEdit; }
    BOOL Create(const std::string& caption, const QRect& rect, QWidget* parent, int id);
    void OnClicked();

protected:
    // Sees the button's events; the first one creates the tooltip.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CDirEdit* m_pEdit = nullptr;
    BOOL m_bFirstMessage = TRUE;
};

class CDirEdit : public CEdit {
public:
    // The one option bit: always use the legacy directory dialog.
    static constexpr int kForceLegacyDialog = 1;

    // Takes over an existing edit control and creates the button; FALSE when
    // the control is missing, not an edit control or not read-only.
    BOOL SubclassEdit(QWidget* control);
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
