#pragma once
// Thin wrappers that bind a dialog's control widgets to members, in the
// manner of the Microsoft Foundation Classes' (MFC) CWnd, CEdit, CListBox and
// CButton.
#include "platform/WinTypes.h"

#include <QPointer>
#include <QWidget>
#include <string>

class QLineEdit;
class QListWidget;
class QAbstractButton;

constexpr int LB_ERR = -1;

// Puts text into an edit control as Windows does: the caret goes to the start,
// so a text wider than the field shows its first characters.
void SetEditText(QLineEdit* edit, const QString& text);

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    // Destroys the bound widget if it still exists.
    virtual ~CWnd();

    // Binds this wrapper to an existing control; FALSE when the widget is
    // null or not of the wrapper's kind.
    virtual BOOL SubclassWindow(QWidget* control);
    QWidget* GetSafeHwnd() const { return m_hWnd; }

    virtual void SetWindowText(const std::string& text);
    std::string GetWindowText() const;

protected:
    virtual bool AcceptsControl(QWidget* control) const;
    QPointer<QWidget> m_hWnd;
};

class CEdit : public CWnd {
public:
    QLineEdit* LineEdit() const;

protected:
    bool AcceptsControl(QWidget* control) const override;
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
    QListWidget* ListWidget() const;

protected:
    bool AcceptsControl(QWidget* control) const override;
};

class CButton : public CWnd {
public:
    QAbstractButton* Button() const;

protected:
    bool AcceptsControl(QWidget* control) const override;
};
