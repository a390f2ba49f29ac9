#pragma once
// The old-style save dialog reshaped into a directory picker (template
// 1536): the file controls are hidden, the hidden file name holds "Junk",
// and the caller cuts the directory out of the returned full name.
#include "ui/dialog/Dialog.h"

#include <string>

class QListWidgetItem;

class CLegacyDirDialog : public CDialog {
    Q_OBJECT
public:
    explicit CLegacyDirDialog(QWidget* parent = nullptr);

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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void FillDirectoryControls();
    void OpenListedDirectory(QListWidgetItem* item);

    std::string m_initialDir;
    std::string m_title;
    std::string m_currentDir;
    std::string m_pathName;
    int m_fileOffset = 0;
    BOOL m_bFirstPaint = FALSE;
};
