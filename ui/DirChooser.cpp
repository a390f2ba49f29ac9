#include "ui/DirChooser.h"

#include "platform/WinVersion.h"
#include "ui/dialog/FolderBrowser.h"
#include "ui/dialog/LegacyDirDialog.h"

namespace {

// The cut falls on the separator in front of the file name. For a name in
// the root directory of a system without drive letters that leaves nothing,
// and the directory is the root.
std::string DirectoryOfFullName(const std::string& fullName, int fileOffset)
{
    const std::string directory = fullName.substr(0, fileOffset > 0 ? fileOffset - 1 : 0);
    return directory.empty() ? "/" : directory;
}

BOOL ChooseWithLegacyDialog(std::string& path, HWND owner, const std::string& title)
{
    std::string fullName;
    int fileOffset = 0;
    if (RunLegacyDirDialog(owner, path, title, fullName, fileOffset) != IDOK)
        return FALSE;
    path = DirectoryOfFullName(fullName, fileOffset);
    return TRUE;
}

} // namespace

BOOL CDirChooser::ChooseDirectory(std::string& path, HWND owner, BOOL forceLegacy, const std::string& title)
{
    if (LOBYTE(GetVersion()) < 4 || forceLegacy)
        return ChooseWithLegacyDialog(path, owner, title);
    return BrowseForFolder(path, owner, title);
}
