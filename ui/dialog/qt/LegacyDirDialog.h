#pragma once
// The legacy directory dialog on Qt, a dialog of its own built from template
// 1536 that does what the old-style common file dialog does for it on
// Windows: it lists the directories from the root down to the current one and
// the current one's subdirectories, and returns the full name of the hidden
// file name in the directory chosen.
#include "ui/dialog/Dialog.h"

#include <string>

class QListWidgetItem;
class QWidget;

class CLegacyDirDialog : public CDialog {
public:
    explicit CLegacyDirDialog(CWnd* pParentWnd = nullptr);

    // Before the dialog runs: the directory it opens in (empty: the
    // working directory) and its caption.
    void SetInitialDir(const std::string& directory);
    void SetTitle(const std::string& title);

    // After IDOK: the full name (directory, "/", file name) and the index
    // of the file name in it.
    std::string GetPathName() const { return m_pathName; }
    int GetFileOffset() const { return m_fileOffset; }

    // Opens this directory in the directory list, as a double click does.
    void ChangeDirectory(const std::string& directory);

    BOOL OnInitDialog() override;
    void OnOK() override;
    // Its own paint events reach OnPaint.
    BOOL PreTranslateMessage(MSG* pMsg) override;

private:
    QWidget* Item(int id) const;
    void OnPaint();
    void FillDirectoryControls();
    void OpenListedDirectory(QListWidgetItem* item);

    std::string m_initialDir;
    std::string m_title;
    std::string m_currentDir;
    std::string m_pathName;
    int m_fileOffset = 0;
    BOOL m_bFirstPaint = FALSE;
};
