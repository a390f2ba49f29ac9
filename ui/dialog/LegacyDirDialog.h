#pragma once
// The old-style save dialog reshaped into a directory picker (template
// 1536): the file controls are hidden and the hidden file name holds "Junk",
// so that the dialog returns a full name in the chosen directory.
#include "platform/WinUser.h"

#include <string>

// Runs the dialog modally, opening in initialDir with title as its caption.
// On IDOK fullName holds the full name of "Junk" in the chosen directory and
// fileOffset the index of the file name in it; any other end leaves both
// alone. Returns how the dialog ended.
int RunLegacyDirDialog(HWND owner, const std::string& initialDir, const std::string& title, std::string& fullName,
                       int& fileOffset);
