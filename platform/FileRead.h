#pragma once
// Reading a served file by offset: each block is read where it lies, so a
// block and its resend are read alike and no stream position or buffer is
// kept per file.
#include <cstddef>

// Up to count bytes of file from offset; fewer only where the file ends. The
// number of bytes read, or -1 on a read error.
long long ReadAt(int file, void* buffer, std::size_t count, long long offset);

void CloseFile(int file);
