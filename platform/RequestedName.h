#pragma once
// A requested name, its separators already '/', split at its last one: the
// folder beneath the configured directory ("" for the directory itself) and
// the file's own name.
#include <string>

struct FolderAndFile {
    std::string folder;
    std::string file;
};

FolderAndFile SplitRequestedName(const std::string& name);
