#pragma once
// Received file names, checked and joined to a directory. Both '/' and '\'
// separate path components, as they do for the Windows clients these names
// are written for.
#include <string>

// False for a name that could leave its directory: a ".." component, a
// leading '/' or '\', or a drive prefix such as "C:".
bool IsSafeName(const std::string& name);

// The directory, one '/', then the name with every '\' made a '/'.
std::string JoinPath(const std::string& directory, const std::string& name);
