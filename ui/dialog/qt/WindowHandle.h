#pragma once
// On Qt a window handle is the widget itself. CWndBinding ties a wrapper to
// its widget: the widget's events pass through the wrapper's
// PreTranslateMessage, its timers call the wrapper's OnTimer, and the
// wrapper forgets the widget when the widget goes.
#include "ui/dialog/Controls.h"

#include <QDialog>
#include <QIcon>

class CDialog;

inline QWidget* QtWidget(HWND hWnd)
{
    return static_cast<QWidget*>(hWnd);
}

inline HWND QtHandle(const QWidget* widget)
{
    return const_cast<QWidget*>(widget);
}

// The dialog's window, null before it is created.
QDialog* QtDialog(const CDialog& dialog);
// The wrapper of this kind bound to a window, or null.
template <class Wrapper> Wrapper* WrapperOf(const QWidget* window)
{
    return dynamic_cast<Wrapper*>(CWnd::FromHandlePermanent(QtHandle(window)));
}
// The icon behind a handle of AfxLoadIcon.
QIcon QtIcon(HICON icon);

class CWndBinding : public QObject {
    Q_OBJECT
public:
    CWndBinding(CWnd* wnd, QWidget* widget);
    ~CWndBinding() override;

    static CWndBinding* Of(const QWidget* widget);
    CWnd* Wnd() const { return m_wnd; }

    void SetTimer(UINT_PTR id, UINT elapseMs);
    void KillTimer(UINT_PTR id);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CWnd* m_wnd;
};
