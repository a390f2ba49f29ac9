#include "ui/dialog/FolderBrowser.h"

#include <shlobj.h>

namespace {

// The browser opens with the starting directory selected.
int CALLBACK BrowseCallbackProc(HWND hwnd, UINT uMsg, LPARAM, LPARAM lpData)
{
    if (uMsg == BFFM_INITIALIZED)
        SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, lpData);
    return 0;
}

} // namespace

// The shell's dialogs want COM on the calling thread; a second initialisation
// of the same kind costs nothing.
BOOL BrowseForFolder(std::string& path, HWND owner, const std::string& title)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    char displayName[MAX_PATH] = "";
    BROWSEINFOA browse = {};
    browse.hwndOwner = owner;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = title.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = BrowseCallbackProc;
    browse.lParam = reinterpret_cast<LPARAM>(path.c_str());
    LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
    if (!chosen)
        return FALSE;
    char directory[MAX_PATH] = "";
    BOOL result = FALSE;
    if (SHGetPathFromIDListA(chosen, directory)) {
        path = directory;
        result = TRUE;
    }
    IMalloc* allocator = nullptr;
    if (SHGetMalloc(&allocator) != S_OK)
        return FALSE;
    allocator->Free(chosen);
    allocator->Release();
    return result;
}
