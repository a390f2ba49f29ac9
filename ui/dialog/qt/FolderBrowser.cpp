#include "ui/dialog/FolderBrowser.h"

#include "ui/dialog/qt/DirectoryDialogSeam.h"
#include "ui/dialog/qt/WindowHandle.h"
#include "ui/dialog/qt/WindowPlacement.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

// An empty or vanished start directory opens at the default, the home
// directory, as the shell's browser opens at its desktop.
QString StartDirectory(const std::string& path)
{
    const QString start = QString::fromLocal8Bit(path);
    return !start.isEmpty() && QFileInfo(start).isDir() ? start : QDir::homePath();
}

bool RunFolderBrowser(QFileDialog& dialog, const DirectoryDialogRequest& request)
{
    const DirectoryDialogSeam seam = GetDirectoryDialogSeam();
    if (!seam)
        return dialog.exec() == QDialog::Accepted;
    dialog.show();
    const std::optional<std::string> answer = seam(request);
    if (answer)
        dialog.setDirectory(QString::fromLocal8Bit(*answer));
    dialog.hide();
    return answer.has_value();
}

} // namespace

BOOL BrowseForFolder(std::string& path, HWND owner, const std::string& title)
{
    QWidget* ownerWidget = QtWidget(owner);
    QFileDialog dialog(ownerWidget ? ownerWidget->window() : nullptr, QString::fromLocal8Bit(title));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    // Opening in the start directory selects it: Choose at once returns it.
    dialog.setDirectory(StartDirectory(path));
    CentreWindowWhenShown(&dialog);
    if (!RunFolderBrowser(dialog, {DirectoryDialogKind::FolderBrowser, title, path, ownerWidget, &dialog}))
        return FALSE;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return FALSE;
    path = QDir::cleanPath(QFileInfo(chosen.first()).absoluteFilePath()).toLocal8Bit().toStdString();
    return TRUE;
}
