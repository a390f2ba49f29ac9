#pragma once
// The Qt window of a CDialog: built from the dialog's template, it turns the
// keys, the close box and the window manager's framing into what the dialog
// manager of Windows makes of them.
#include "platform/WinUser.h"

#include <QDialog>
#include <QMargins>

class CDialog;

class CDialogWindow : public QDialog {
    Q_OBJECT
public:
    // The window with the template's controls, or null when there is no
    // such template.
    static CDialogWindow* Build(CDialog& dialog);
    static CDialogWindow* Of(const CDialog& dialog);
    // A control's click or text change, passed to its dialog when it has one.
    static void NotifyFromControl(QWidget* control, int id, int notification);

    // Runs OnInitDialog, gives the focus to the first tab stop when it asks
    // for that, and centres the window unless it was shown or moved meanwhile.
    // FALSE when initialisation ended the dialog.
    BOOL Initialise();
    CDialog& Dialog() const { return m_dialog; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void reject() override;

private:
    CDialogWindow(CDialog& dialog, QWidget* parent);
    void ConnectCommands();
    void FocusFirstTabStop();
    void PopupSystemMenu(const QPoint& globalPos);
    void CentreWindow(const QMargins& frameMargins);
    void FinishCentring();

    CDialog& m_dialog;
    // Centred before the window manager framed it: the frame assumed then.
    bool m_centring = false;
    QMargins m_assumedFrame;
};
