#pragma once
// Opening a received name beneath a directory on Windows, one level at a time:
// each level is opened relative to the handle of the one above it, never by a
// path string that Windows would resolve again. A name that Windows would
// read as something other than a file in that directory (a stream, a device,
// a drive, a name it would trim) is refused, as asked and as the file system
// resolved it (the long name behind an 8.3 short name); a reparse point is
// followed only where its final path lies beneath the directory's own final
// path. The directory itself may be a link: the administrator chose it.
#include "platform/FileHandle.h"
#include "platform/WinTypes.h"

#include <string>
#include <string_view>
#include <winternl.h>

// NTDLL's listing of a directory by its handle, which these headers do not declare.
extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE, HANDLE, PIO_APC_ROUTINE, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG,
                                               FILE_INFORMATION_CLASS, BOOLEAN, PUNICODE_STRING, BOOLEAN);
constexpr auto kFileIdBothDirectoryInformation = static_cast<FILE_INFORMATION_CLASS>(37);

// The final path of an open file or directory ("\\?\C:\..."), in UTF-8, as
// the file system spells it; empty on failure.
std::string FinalPathOf(HANDLE handle);

// The reason for a failed open's Windows error.
BeneathResult ResultOfError(DWORD error);

// The directory at path (UTF-8), held open until closed, and shared for
// neither deletion nor renaming meanwhile; INVALID_HANDLE_VALUE and the reason
// when it does not open.
HANDLE OpenDirectoryHandle(const std::string& path, BeneathResult* result);

// How NtCreateFile is to open or create a name.
struct OpenMode {
    ACCESS_MASK access;
    ULONG share;
    ULONG disposition; // FILE_OPEN, FILE_CREATE
    ULONG options;     // FILE_DIRECTORY_FILE, FILE_NON_DIRECTORY_FILE, ...
    ULONG attributes;  // of a file created
};

// A directory on the way to a name, or the one an upload writes in.
constexpr OpenMode kHeldDirectory{FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN, FILE_DIRECTORY_FILE, 0};

// Opens name, a single component, in directory, relative to its handle;
// INVALID_HANDLE_VALUE and Windows' error when it does not open.
HANDLE OpenRelative(HANDLE directory, const std::wstring& name, const OpenMode& mode, DWORD* error);

// Deletes the file name (UTF-8) in directory itself: never a directory, and
// never what a link of that name leads to. Whether it did.
bool DeleteFileIn(HANDLE directory, const std::string& name);

// Whether component, in UTF-8, is a plain file name: no stream, drive,
// device, character that no name may hold, or end that Windows trims.
bool IsPlainName(std::string_view component);

// The long name of the entry that directory holds under asked, which may be
// its 8.3 short name; empty when there is none. Only the first listing of a
// directory handle takes the name asked: a handle is asked once.
std::string LongNameIn(HANDLE directory, const std::string& asked);

// The last component of a final path.
std::string LastComponent(const std::string& path);

// Opens name, relative, '/'-separated and UTF-8, beneath the directory held;
// INVALID_HANDLE_VALUE and the reason when it does not open there.
HANDLE OpenBeneath(HANDLE directory, const std::string& name, const OpenMode& mode, BeneathResult* result);
