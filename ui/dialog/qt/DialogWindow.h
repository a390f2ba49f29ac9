#pragma once
// The Qt window of a CDialog: built from the dialog's template, it turns the
// keys and the close box into what the dialog
// manager of Windows makes of them.
#include "platform/WinUser.h"

#include <QDialog>

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
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void reject() override;

private:
    CDialogWindow(CDialog& dialog, QWidget* parent);
    void ConnectCommands();
    void FocusFirstTabStop();
    void PopupSystemMenu(const QPoint& globalPos);

    CDialog& m_dialog;
};
