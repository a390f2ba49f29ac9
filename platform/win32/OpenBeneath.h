#pragma once
// Opening a received name beneath a directory on Windows. A name that Windows
// would read as something other than a file in that directory (a stream, a
// device, a drive, a name it would trim) is refused before any open; what
// opens is kept only when its final path, after every junction, symbolic link
// and other reparse point, lies beneath the directory's own final path. The
// directory itself may be a link: the administrator chose it.
#include "platform/FileHandle.h"
#include "platform/WinTypes.h"

#include <string>

// The final path of an open file or directory ("\\?\C:\..."); empty on failure.
std::string FinalPathOf(HANDLE handle);

// The reason for the last error of a failed open.
BeneathResult ResultOfLastError();

// The directory at path, held open (and so neither deleted nor renamed) until
// closed; INVALID_HANDLE_VALUE and the reason when it does not open.
HANDLE OpenDirectoryHandle(const std::string& path, BeneathResult* result);

struct OpenMode {
    DWORD access;
    DWORD share;
    DWORD disposition;
    DWORD flags;
};

// The full path of name, relative and '/'-separated, in the directory with the
// final path base: empty when a component of name is one that Windows reads
// as something other than a plain name.
std::string PathBeneath(const std::string& base, const std::string& name);

// Opens name beneath the directory held; INVALID_HANDLE_VALUE and the reason
// when it does not open there.
HANDLE OpenBeneath(HANDLE directory, const std::string& name, const OpenMode& mode, BeneathResult* result);
