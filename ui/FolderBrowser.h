#pragma once
// The folder browser: a directory dialog that opens in the start directory
// and returns the chosen directory as an absolute path.
#include "platform/WinTypes.h"

#include <string>

class QWidget;

// TRUE with the chosen directory in path; FALSE (path untouched) on cancel.
BOOL BrowseForFolder(std::string& path, QWidget* owner, const std::string& title);
