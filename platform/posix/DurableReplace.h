#pragma once
// Putting a finished file in the place of its target for good: the file gets
// its final permission bits and reaches the disk, is renamed over the target,
// and the directory's changed entry reaches the disk too, so that the new
// file, once reported stored, survives a power loss.
#include <string>

// The permission bits a file that replaces none gets: 0666 less the umask.
unsigned NewFileMode();

// directory may be an O_PATH descriptor; fd is the open file named temporary
// in it. False when any step fails; when it fails after the rename, the
// target is the new file all the same.
bool ReplaceDurably(int directory, int fd, const std::string& temporary, const std::string& target, unsigned mode);
