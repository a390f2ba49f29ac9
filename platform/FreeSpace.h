#pragma once
// The space free for an upload, so that one that announces its size is
// refused at once when it cannot fit.
#include <string>

// The bytes free for this account in the file system that holds directory;
// -1 when unknown.
long long FreeBytesIn(const std::string& directory);
