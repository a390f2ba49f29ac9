#pragma once
// Received file names, checked and made relative to the directory they are
// opened beneath. Both '/' and '\' separate path components, as they do for
// the Windows clients these names are written for.
#include <string>

// False for a name that names something other than a file beneath its
// directory: a ".." component, a drive prefix such as "C:", or a network
// path such as "\\server\share".
bool IsSafeName(const std::string& name);

// The name as it is opened beneath a directory: without its leading
// separators (boot clients ask for "/pxelinux.0"), every '\' made a '/'.
std::string ServedName(const std::string& name);

// Whether the name's last component has the form of an upload's hidden
// temporary file, which no request may read or write: it holds a partial
// upload, perhaps another client's.
bool NamesTemporaryUpload(const std::string& name);
