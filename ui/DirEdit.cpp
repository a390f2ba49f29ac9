#include "ui/DirEdit.h"

#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "ui/DirChooser.h"
#include "ui/dialog/DataExchange.h"
#include "ui/dialog/qt/TemplateLoader.h"

#include <QLineEdit>
#include <QPushButton>

CDirBrowseButton::~CDirBrowseButton()
{
    // The window goes with the CWnd part, after this object stopped being
    // an event filter.
    if (m_hWnd)
        m_hWnd->removeEventFilter(this);
}

BOOL CDirBrowseButton::Create(const std::string& caption, const QRect& rect, QWidget* parent, int id)
{
    auto* button = new QPushButton(QString::fromLocal8Bit(caption), parent);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::ClickFocus); // no tab stop: Tab passes it by
    button->setGeometry(rect);
    SetControlId(button, id);
    button->installEventFilter(this);
    connect(button, &QPushButton::clicked, this, &CDirBrowseButton::OnClicked);
    button->show();
    m_hWnd = button;
    return TRUE;
}

void CDirBrowseButton::OnClicked()
{
    if (m_pEdit)
        m_pEdit->OnBrowse();
}

bool CDirBrowseButton::eventFilter(QObject* watched, QEvent* event)
{
    if (m_bFirstMessage && watched == m_hWnd) {
        m_bFirstMessage = FALSE;
        m_hWnd->setToolTip(QString::fromLocal8Bit(LoadResString(IDS_MODIFY)));
    }
    return QObject::eventFilter(watched, event);
}

BOOL CDirEdit::SubclassEdit(QWidget* control)
{
    if (!SubclassWindow(control))
        return FALSE;
    if (!LineEdit()->isReadOnly())
        return FALSE;
    return CreateBrowseButton();
}

BOOL CDirEdit::CreateBrowseButton()
{
    QWidget* parent = m_hWnd->parentWidget();
    if (!parent)
        return FALSE;
    const QRect edit = m_hWnd->geometry();
    const int height = edit.height();
    const QRect button(edit.x() + edit.width(), edit.y(), 8 * height / 10, height);
    // The button inherits the parent's font, or the system's when the parent
    // has none of its own.
    const BOOL created = m_browseButton.Create(LoadResString(IDS_BROWSE), button, parent, IDC_BROWSE);
    m_browseButton.SetEdit(this);
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
    QWidget* control = pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate && !rControl.GetSafeHwnd() && !rControl.SubclassEdit(control))
        AfxThrowNotSupportedException();
    rControl.SetOptions(nOptions, strTitle);
}
