#pragma once
// Opening the files the service serves. Only regular files open: a directory,
// FIFO, socket or device behind a name counts as a file that does not open,
// and opening never blocks the one thread.
#include "platform/OpenBeneath.h"

#include <string>
#include <sys/types.h>

// Opens name beneath directory for reading; size receives the file's size in
// bytes. The descriptor, or -1 and the reason in result when it does not open
// there.
int OpenRegularFileForRead(const std::string& directory, const std::string& name, off_t* size, BeneathResult* result);
