#pragma once
// Wrappers that bind a dialog's controls to members, in the manner of the
// Microsoft Foundation Classes' (MFC) CWnd, CEdit, CListBox and CButton. A
// wrapper names its window by handle; the window system behind it is the
// platform's.
#include "platform/WinUser.h"

#include <string>

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    // Destroys the bound window if it still exists.
    virtual ~CWnd();

    // Binds this wrapper to an existing window, which from then on passes
    // its messages through it; FALSE when hWnd is not a window or not of the
    // wrapper's kind.
    virtual BOOL SubclassWindow(HWND hWnd);
    // The bound window; null before binding and once the window is gone.
    HWND GetSafeHwnd() const { return m_hWnd; }
    // The wrapper bound to a window, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    virtual void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    DWORD GetStyle() const;
    HWND GetParent() const;
    // The window's rectangle in the client coordinates of its parent.
    RECT GetRectInParent() const;
    // The font a window draws its text with; null for the system's.
    static HFONT GetFont(HWND hWnd);
    // Null gives the system's font.
    void SetFont(HFONT font);

    // Runs OnTimer(id) about every elapseMs until KillTimer.
    void SetTimer(UINT_PTR id, UINT elapseMs);
    void KillTimer(UINT_PTR id);
    virtual void OnTimer(UINT_PTR id);

    // Sees every message for the window that the message loop retrieves,
    // before it is dispatched; TRUE consumes it.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // A notification of this control that its parent reflects back to it;
    // TRUE when handled here, so the parent does not see it.
    virtual BOOL OnChildNotify(int notification);

protected:
    virtual bool AcceptsWindow(HWND hWnd) const;
    // Binds a window this wrapper has just created.
    BOOL Attach(HWND hWnd);

    HWND m_hWnd = nullptr;

private:
    friend class CWndBinding;
};

class CEdit : public CWnd {
protected:
    bool AcceptsWindow(HWND hWnd) const override;
};

class CListBox : public CWnd {
public:
    // Inserts in sorted place when the list box has the sorted style, else at
    // the end; returns the new item's index, LB_ERR without a control.
    int AddString(const std::string& text);
    // Returns the remaining count, LB_ERR for a bad index. Deleting the
    // selected item leaves nothing selected.
    int DeleteString(UINT index);
    int GetCurSel() const;
    void GetText(int index, std::string& text) const;

protected:
    bool AcceptsWindow(HWND hWnd) const override;
};

class CButton : public CWnd {
public:
    // Creates a push button as a child of parent; its clicks reach this
    // wrapper's OnChildNotify first, then the parent dialog's OnCommand.
    BOOL Create(const std::string& caption, DWORD style, const RECT& rect, HWND parent, int id);

protected:
    bool AcceptsWindow(HWND hWnd) const override;
};
