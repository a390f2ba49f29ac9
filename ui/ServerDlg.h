#pragma once
// The main window (template 102): the search directories with ADD and Remove,
// the Write Directory field, the two switches, the status line, About and
// Exit. It owns the settings for the whole run and the TFTP service, which
// reads three of them live at each request.
#include "server/TftpSocket.h"
#include "settings/SettingsStore.h"
#include "ui/DirEdit.h"
#include "ui/StatusField.h"
#include "ui/dialog/Controls.h"
#include "ui/dialog/Dialog.h"

#include <string>
#include <vector>

// The About entry appended to the system menu.
constexpr UINT IDM_ABOUTBOX = 0x0010;

class CServerDlg : public CDialog {
public:
    // The service listens on port; the program always uses 69.
    explicit CServerDlg(UINT port = 69);

    // A store that could not be read is told on the status line and in the
    // record at start, and is not saved over at the end: it keeps what it
    // holds. A save that fails is told in the record.
    void LoadSettings();
    void SaveSettings();

    // A save-direction exchange first, however the window was closed.
    BOOL DestroyWindow() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCommand(int id, int notification) override;
    void OnSysCommand(UINT id) override;
    HICON OnQueryDragIcon() override { return m_hIcon; }

    void OnAddSearchDir();
    void OnRemoveSearchDir();
    void OnSettingChanged();
    void OnAbout();

    // Declaration order matters: m_server refers to the settings before it and
    // so is torn down before them.
    CStatusField m_status; // the status line
    CListBox m_searchDirList;
    std::string m_writeDir;
    int m_enableWrite = 0;
    int m_runMinimized = 0;
    CDirEdit m_writeDirEdit;
    std::vector<std::string> m_searchDirs;
    CTftpSocket m_server;
    std::string m_lastSearchDir; // where the next ADD starts; never stored
    HICON m_hIcon;

private:
    CSettingsFields Fields();
    bool m_settingsUnreadable = false;
    void AddAboutToSystemMenu();
};
