#pragma once
// Opening the files the service serves. Only regular files open: a directory,
// FIFO, socket or device behind a name counts as a file that does not open,
// and opening never blocks the one thread.
#include "platform/FileHandle.h"

#include <string>

// Opens name, relative and '/'-separated, beneath directory for reading; size
// receives the file's size in bytes. The file, or kNoFile and the reason in
// result when it does not open there.
FileId OpenRegularFileForRead(const std::string& directory, const std::string& name, long long* size,
                              BeneathResult* result);
