#include "ui/ServerDlg.h"

#include "platform/EventRecord.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "settings/StoreFailureText.h"
#include "ui/AboutBox.h"
#include "ui/DirChooser.h"
#include "ui/dialog/DataExchange.h"
#include "ui/dialog/Icons.h"
#include "ui/dialog/SystemMenu.h"

#include <algorithm>

namespace {

const char* const kSettingsNotLoaded = "Settings not loaded; they will not be saved";

} // namespace

CServerDlg::CServerDlg(UINT port)
    : CDialog(IDD_VANTREL_DIALOG),
      m_server(port),
      m_hIcon(AfxLoadIcon(IDR_MAINFRAME))
{
}

void CServerDlg::LoadSettings()
{
    LONG reason = ERROR_SUCCESS;
    m_settingsUnreadable = !ReadSettingsFromRegistry(Fields(), &reason);
    if (m_settingsUnreadable)
        WriteRecordLine("settings not loaded: " + StoreFailureText(reason) + "; they will not be saved");
}

void CServerDlg::SaveSettings()
{
    if (m_settingsUnreadable)
        return;
    const LONG failure = WriteSettingsToRegistry(Fields());
    if (failure != ERROR_SUCCESS)
        WriteRecordLine("settings not saved: " + StoreFailureText(failure));
}

CSettingsFields CServerDlg::Fields()
{
    return {m_writeDir, m_enableWrite, m_runMinimized, m_searchDirs};
}

BOOL CServerDlg::DestroyWindow()
{
    UpdateData(TRUE);
    return CDialog::DestroyWindow();
}

void CServerDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_STATUS, m_status);
    DDX_Control(pDX, IDC_SEARCH_DIRS, m_searchDirList);
    DDX_Text(pDX, IDC_WRITE_DIR, m_writeDir);
    DDX_Check(pDX, IDC_ENABLE_WRITE, m_enableWrite);
    DDX_Check(pDX, IDC_RUN_MINIMIZED, m_runMinimized);
    DDX_DirEdit(pDX, IDC_WRITE_DIR, m_writeDirEdit, 0, "Choose Write Directory");
}

BOOL CServerDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    AddAboutToSystemMenu();
    SetIcon(m_hIcon, ICON_BIG);
    SetIcon(m_hIcon, ICON_SMALL);
    for (const std::string& dir : m_searchDirs)
        m_searchDirList.AddString(dir);
    g_statusLine = &m_status;
    m_status.SetWindowText(m_settingsUnreadable ? kSettingsNotLoaded : "Idle");
    m_server.Start(&m_enableWrite, &m_writeDir, &m_searchDirs);
    if (m_runMinimized)
        ShowWindow(SW_SHOWMINIMIZED);
    return TRUE;
}

void CServerDlg::AddAboutToSystemMenu()
{
    CSystemMenu* menu = GetSystemMenu(this);
    if (!menu)
        return;
    const std::string aboutText = LoadResString(IDS_ABOUTBOX);
    if (aboutText.empty())
        return;
    menu->AppendMenu(MF_SEPARATOR);
    menu->AppendMenu(MF_STRING, IDM_ABOUTBOX, aboutText);
}

void CServerDlg::OnCommand(int id, int notification)
{
    if (id == IDC_ADD && notification == BN_CLICKED)
        OnAddSearchDir();
    else if (id == IDC_REMOVE && notification == BN_CLICKED)
        OnRemoveSearchDir();
    else if ((id == IDC_ENABLE_WRITE && notification == BN_CLICKED)
             || (id == IDC_WRITE_DIR && notification == EN_CHANGE))
        OnSettingChanged();
    else if (id == IDC_ABOUT && notification == BN_CLICKED)
        OnAbout();
    else
        CDialog::OnCommand(id, notification);
}

void CServerDlg::OnSysCommand(UINT id)
{
    if ((id & 0xFFF0) == IDM_ABOUTBOX)
        OnAbout();
    else
        CDialog::OnSysCommand(id);
}

void CServerDlg::OnAddSearchDir()
{
    std::string path = m_lastSearchDir;
    CDirChooser chooser;
    if (!chooser.ChooseDirectory(path, GetSafeHwnd(), FALSE, "Choose a search Directory"))
        return;
    m_searchDirList.AddString(path);
    m_searchDirs.push_back(path);
    m_lastSearchDir = path;
}

void CServerDlg::OnRemoveSearchDir()
{
    const int selection = m_searchDirList.GetCurSel();
    if (selection == LB_ERR)
        return;
    std::string text;
    m_searchDirList.GetText(selection, text);
    const auto first = std::find(m_searchDirs.begin(), m_searchDirs.end(), text);
    if (first != m_searchDirs.end())
        m_searchDirs.erase(first);
    m_searchDirList.DeleteString(static_cast<UINT>(selection));
}

void CServerDlg::OnSettingChanged()
{
    UpdateData(TRUE);
}

// The main window is the About box's owner, disabled while the box is open.
void CServerDlg::OnAbout()
{
    CAboutBox aboutBox(this);
    aboutBox.DoModal();
}
