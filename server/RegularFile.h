#pragma once
// Opening the files the service serves and writes. Only regular files open:
// a directory, FIFO, socket or device behind a name counts as a file that does
// not open, and opening never blocks the one thread.
#include <cstdio>
#include <string>
#include <sys/types.h>

// Mode "rb"; size receives the file's size in bytes.
std::FILE* OpenRegularFileForRead(const std::string& path, off_t* size);
// Mode "wb": creates the file, or empties an existing one.
std::FILE* OpenRegularFileForWrite(const std::string& path);
