#pragma once
// Opening a received name beneath a configured directory, so that neither a
// ".." step nor a symlink inside the directory can lead out of it. The
// directory itself may be a symlink: the administrator chose it.
#include "platform/FileHandle.h"

#include <string>

// A descriptor of the directory at path (O_PATH), or -1 and the reason.
int OpenDirectory(const std::string& path, BeneathResult* result);

// Opens name, relative and '/'-separated, beneath the directory descriptor
// with the open flags; the descriptor, or -1 and the reason.
int OpenBeneath(int directory, const std::string& name, int flags, BeneathResult* result);
