#pragma once
// A modal dialog built from a dialog template, in the manner of the Microsoft
// Foundation Classes' (MFC) CDialog: data exchange, command routing of the
// template's controls and the dialog keys of Windows (Enter = IDOK unless a
// push button has the focus, Esc and the close box = IDCANCEL).
#include "platform/WinTypes.h"

#include <QDialog>

class CDataExchange;
class QPoint;

constexpr int BN_CLICKED = 0;
constexpr int EN_CHANGE = 0x300;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_RESTORE = 9;

class CDialog : public QDialog {
    Q_OBJECT
public:
    explicit CDialog(int templateId, QWidget* parent = nullptr);
    ~CDialog() override;

    // Builds the controls, initialises (OnInitDialog), centres the window by
    // its frame over its owner, or in the work area, unless it was minimized
    // or moved meanwhile, runs the modal loop and at its end calls
    // DestroyWindow. Returns the value given to EndDialog, -1
    // when the template is missing or the initial exchange failed.
    int DoModal();
    // The same start without the modal loop: builds, initialises and shows
    // the dialog. FALSE when initialisation ended the dialog.
    BOOL Create();

    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    // Runs DoDataExchange; a not-supported failure shows its message box and
    // gives FALSE.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    virtual void OnOK();
    virtual void OnCancel();
    void EndDialog(int result);
    // Ends the dialog's window; its control widgets stay until the object
    // goes, so bound wrappers never dangle.
    virtual BOOL DestroyWindow();

    QWidget* GetDlgItem(int id) const;
    int GetTemplateId() const { return m_templateId; }

    // Every click of a template push button or check box and every text
    // change of a template edit control arrives here, except while a data
    // exchange runs. IDOK and IDCANCEL go to OnOK and OnCancel.
    virtual void OnCommand(int id, int notification);
    // Sends a command as a key, menu or the close box does; unlike the
    // controls' notifications it also counts during an exchange.
    void SendCommand(int id, int notification = BN_CLICKED);
    // Default handling of the system commands (ui/SystemMenu.h): SC_CLOSE
    // sends IDCANCEL, SC_MINIMIZE and SC_RESTORE change the window state;
    // others are ignored.
    virtual void OnSysCommand(UINT id);
    // Alt+Space or a right click on the dialog's background, where the
    // window's system menu would open; the default does nothing.
    virtual void OnSystemMenuRequest(const QPoint& globalPos);

    void ShowWindow(int command);
    BOOL IsIconic() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void reject() override;

private:
    BOOL BuildAndInitialise();
    void ConnectCommands();
    void NotifyFromControl(int id, int notification);
    void FocusFirstTabStop();

    int m_templateId;
    int m_result = -1;
    int m_exchangeDepth = 0;
    bool m_built = false;
    bool m_ended = false;
};
