#pragma once
// Reading a file by offset: each read names where it starts, so a block and
// its resend are read alike, with no stream position to keep or set back.
#include "platform/FileHandle.h"

#include <cstddef>

// Up to count bytes of file from offset; fewer only where the file ends. The
// number of bytes read, or -1 on a read error.
long long ReadAt(FileId file, void* buffer, std::size_t count, long long offset);

void CloseFile(FileId file);
