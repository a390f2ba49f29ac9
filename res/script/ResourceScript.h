#pragma once
// The program's resources as a resource script for the Windows build:
// windres compiles it into vantrel.exe, so that Windows' own dialog manager,
// string loading and icon loading find the dialog templates, strings and icon
// under the ids the program names them by.
#include <string>

// The script of every dialog template and string of the tables in res/, and
// of icon 128 read from iconFile.
std::string ResourceScript(const std::string& iconFile);
