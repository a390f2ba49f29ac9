#pragma once
// Opening a received name beneath a configured directory, so that neither a
// ".." step nor a symlink inside the directory can lead out of it. The
// directory itself may be a symlink: the administrator chose it.
#include <string>

enum class BeneathResult {
    Opened,
    Missing,       // no such file, or a path component is not a directory
    Outside,       // the name, or a link on its way, leads out of the directory
    NoDescriptors, // the process or the system is out of file descriptors
    Failed,        // any other reason, such as a permission
};

// A descriptor of the directory at path (O_PATH), or -1 and the reason.
int OpenDirectory(const std::string& path, BeneathResult* result);

// Opens name, relative and '/'-separated, beneath the directory descriptor
// with the open flags; the descriptor, or -1 and the reason.
int OpenBeneath(int directory, const std::string& name, int flags, BeneathResult* result);
