#include "ui/DirChooser.h"

#include "platform/WinVersion.h"
#include "ui/FolderBrowser.h"
#include "ui/LegacyDirDialog.h"

namespace {

DirectoryDialogSeam& Seam()
{
    static DirectoryDialogSeam seam;
    return seam;
}

int RunLegacyDialog(CLegacyDirDialog& dialog, const DirectoryDialogRequest& request)
{
    // A copy, so that a seam may replace itself while it runs.
    const DirectoryDialogSeam seam = Seam();
    if (!seam)
        return dialog.DoModal();
    if (!dialog.Create())
        return -1;
    const std::optional<std::string> answer = seam(request);
    if (answer) {
        dialog.ChangeDirectory(*answer);
        dialog.SendCommand(IDOK);
    } else {
        dialog.SendCommand(IDCANCEL);
    }
    dialog.DestroyWindow();
    return dialog.result();
}

// The cut falls on the separator in front of the file name. For a name in
// the root directory that leaves nothing, and the directory is the root.
std::string DirectoryOfFullName(const std::string& fullName, int fileOffset)
{
    const std::string directory = fullName.substr(0, fileOffset > 0 ? fileOffset - 1 : 0);
    return directory.empty() ? "/" : directory;
}

BOOL ChooseWithLegacyDialog(std::string& path, QWidget* owner, const std::string& title)
{
    CLegacyDirDialog dialog(owner ? owner->window() : nullptr);
    dialog.SetInitialDir(path);
    dialog.SetTitle(title);
    if (RunLegacyDialog(dialog, {DirectoryDialogKind::Legacy, title, path, owner, &dialog}) != IDOK)
        return FALSE;
    path = DirectoryOfFullName(dialog.GetPathName(), dialog.GetFileOffset());
    return TRUE;
}

} // namespace

void SetDirectoryDialogSeam(DirectoryDialogSeam seam)
{
    Seam() = std::move(seam);
}

const DirectoryDialogSeam& GetDirectoryDialogSeam()
{
    return Seam();
}

BOOL CDirChooser::ChooseDirectory(std::string& path, QWidget* owner, BOOL forceLegacy, const std::string& title)
{
    if (LOBYTE(GetVersion()) < 4 || forceLegacy)
        return ChooseWithLegacyDialog(path, owner, title);
    return BrowseForFolder(path, owner, title);
}
