#pragma once
// The shell's folder browser: a directory dialog that opens with the start
// directory selected and returns the chosen directory as an absolute path.
#include "platform/WinUser.h"

#include <string>

// TRUE with the chosen directory in path; FALSE when cancelled or when the
// choice has no path in the file system, with path untouched. owner may be
// null; title is the browser's instruction text.
BOOL BrowseForFolder(std::string& path, HWND owner, const std::string& title);
