#pragma once
// A modal dialog built from a dialog template, in the manner of the Microsoft
// Foundation Classes' (MFC) CDialog: data exchange, command routing of the
// template's controls and the dialog keys of Windows (Enter = IDOK unless a
// push button has the focus, Esc and the close box = IDCANCEL).
#include "ui/dialog/Controls.h"

#include <functional>

class CDataExchange;

class CDialog : public CWnd {
public:
    // pParentWnd owns the dialog and is disabled while it runs modally.
    explicit CDialog(int templateId, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Creates the window from its template, initialises it (OnInitDialog),
    // centres it over its owner, or in the work area, unless it was shown or
    // moved meanwhile, runs the modal loop and at its end calls
    // DestroyWindow. Returns the value given to EndDialog, -1 when the
    // template is missing or the initial exchange failed.
    int DoModal();
    // The same start without the modal loop: creates, initialises and shows
    // the dialog. FALSE when initialisation ended the dialog.
    BOOL Create();

    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    // Runs DoDataExchange; a not-supported failure shows its message box and
    // gives FALSE. Control notifications are not passed on meanwhile.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    virtual void OnOK();
    virtual void OnCancel();
    void EndDialog(int result);
    // Ends the dialog's window.
    virtual BOOL DestroyWindow();

    HWND GetDlgItem(int id) const;
    int GetTemplateId() const { return m_templateId; }
    CWnd* GetParentWnd() const { return m_pParentWnd; }

    // Every click of a push button or check box and every text change of an
    // edit control arrives here, except while a data exchange runs. IDOK and
    // IDCANCEL go to OnOK and OnCancel.
    virtual void OnCommand(int id, int notification);
    // Sends a command as a key, a menu or the close box does; unlike the
    // controls' notifications it also counts during an exchange.
    void SendCommand(int id, int notification = BN_CLICKED);
    // The system menu's commands and the caption buttons'; the default
    // handling closes, minimizes, restores and moves as usual.
    virtual void OnSysCommand(UINT id);
    // The icon dragged for a minimized window; null for the default.
    virtual HICON OnQueryDragIcon();

    void ShowWindow(int command);
    BOOL IsIconic() const;
    // ICON_BIG for the caption and task switcher, ICON_SMALL for the title bar.
    void SetIcon(HICON icon, int kind);

protected:
    // A control's notification as the window system delivers it: reflected
    // to the control's own wrapper first, then, outside data exchanges,
    // passed to OnCommand.
    void NotifyFromControl(HWND control, int id, int notification);

private:
    BOOL CreateAndInitialise();

    int m_templateId;
    CWnd* m_pParentWnd;
    int m_result = -1;
    int m_exchangeDepth = 0;
    bool m_ended = false;
    friend class CDialogWindow;
};

// Ends every modal dialog and box open above mainWindow as its close box
// would, then mainWindow itself, so that every nested modal loop returns.
void AfxCloseAllDialogs(CDialog& mainWindow);

// Runs call from the message loop, whichever loop runs then (a nested modal
// one included), once the messages already waiting are handled.
void AfxPostCall(std::function<void()> call);
