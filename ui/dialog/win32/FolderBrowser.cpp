#include "ui/dialog/FolderBrowser.h"

#include "platform/win32/WideText.h"

#include <shlobj.h>

namespace {

// The browser opens with the starting directory selected.
int CALLBACK BrowseCallbackProc(HWND hwnd, UINT uMsg, LPARAM, LPARAM lpData)
{
    if (uMsg == BFFM_INITIALIZED)
        SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, lpData);
    return 0;
}

// The chosen folder's path, or an empty text when it has none in the file
// system. The buffer is as long as a path may be, not MAX_PATH.
std::wstring PathOf(LPCITEMIDLIST chosen)
{
    std::wstring directory(32768, L'\0');
    if (!SHGetPathFromIDListEx(chosen, directory.data(), static_cast<DWORD>(directory.size()), GPFIDL_DEFAULT))
        return {};
    directory.resize(wcslen(directory.c_str()));
    return directory;
}

} // namespace

// The shell's dialogs want COM on the calling thread; a second initialisation
// of the same kind costs nothing. The shell allocates the item list with
// COM's task allocator, which CoTaskMemFree frees.
BOOL BrowseForFolder(std::string& path, HWND owner, const std::string& title)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::wstring start = WidenUtf8(path), instruction = WidenForDisplay(title);
    wchar_t displayName[MAX_PATH] = L"";
    BROWSEINFOW browse = {};
    browse.hwndOwner = owner;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = instruction.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = BrowseCallbackProc;
    browse.lParam = reinterpret_cast<LPARAM>(start.c_str());
    LPITEMIDLIST chosen = SHBrowseForFolderW(&browse);
    if (!chosen)
        return FALSE;
    const std::wstring directory = PathOf(chosen);
    CoTaskMemFree(chosen);
    if (directory.empty())
        return FALSE;
    path = NarrowToUtf8(directory);
    return TRUE;
}
