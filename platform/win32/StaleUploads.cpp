#include "platform/TemporaryUpload.h"

#include "platform/win32/OpenBeneath.h"
#include "platform/win32/WideText.h"

#include <vector>

// The sweep walks the folder's subfolders by handle, never into a reparse
// point or a link, and only so far: a tree deeper or larger than any the
// uploads of one run would have filled holds the start for a moment, not for
// long.
constexpr int kDeepestSubfolder = 16;
constexpr long kMostEntries = 100000;

struct Sweep {
    int removed = 0;
    long entriesLeft = kMostEntries;
};

struct Entry {
    std::string name;
    DWORD attributes;
};

// The next entries of the directory's listing; none once it has no more.
static std::vector<Entry> NextEntries(HANDLE directory)
{
    std::vector<LONGLONG> room(8 * 1024);
    const char* const start = reinterpret_cast<const char*>(room.data());
    IO_STATUS_BLOCK io{};
    std::vector<Entry> entries;
    if (!NT_SUCCESS(NtQueryDirectoryFile(directory, nullptr, nullptr, nullptr, &io, room.data(),
                                         static_cast<ULONG>(room.size() * sizeof(LONGLONG)),
                                         kFileIdBothDirectoryInformation, FALSE, nullptr, FALSE)))
        return entries;
    for (std::size_t at = 0;;) {
        const auto* listed = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(start + at);
        const std::string name
            = NarrowToUtf8(listed->FileName, static_cast<int>(listed->FileNameLength / sizeof(WCHAR)));
        if (name != "." && name != "..")
            entries.push_back({name, listed->FileAttributes});
        if (listed->NextEntryOffset == 0)
            return entries;
        at += listed->NextEntryOffset;
    }
}

// The subfolder name of directory, unless it is a reparse point or a link:
// then its final path is not its name in directory.
static HANDLE OpenSubfolder(HANDLE directory, const std::string& name)
{
    OpenMode mode = kHeldDirectory;
    mode.options |= FILE_OPEN_REPARSE_POINT;
    DWORD error = 0;
    const HANDLE subfolder = OpenRelative(directory, WidenUtf8(name), mode, &error);
    if (subfolder != INVALID_HANDLE_VALUE && FinalPathOf(subfolder) != FinalPathOf(directory) + '\\' + name) {
        CloseHandle(subfolder);
        return INVALID_HANDLE_VALUE;
    }
    return subfolder;
}

// Removes the temporaries of directory and names its subfolders.
static std::vector<std::string> RemoveTemporaries(HANDLE directory, Sweep* sweep)
{
    std::vector<std::string> subfolders;
    for (std::vector<Entry> entries = NextEntries(directory); !entries.empty() && sweep->entriesLeft > 0;
         entries = NextEntries(directory)) {
        for (const Entry& entry : entries) {
            --sweep->entriesLeft;
            if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)
                continue;
            if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY)
                subfolders.push_back(entry.name);
            else if (IsTemporaryUploadNameAsMade(entry.name) && DeleteFileIn(directory, entry.name))
                ++sweep->removed;
        }
    }
    return subfolders;
}

// Takes directory over, and closes it.
static void SweepFolder(HANDLE directory, int depth, Sweep* sweep)
{
    for (const std::string& name : RemoveTemporaries(directory, sweep)) {
        const HANDLE subfolder = depth < kDeepestSubfolder ? OpenSubfolder(directory, name) : INVALID_HANDLE_VALUE;
        if (subfolder != INVALID_HANDLE_VALUE)
            SweepFolder(subfolder, depth + 1, sweep);
    }
    CloseHandle(directory);
}

int RemoveTemporaryUploadFiles(const std::string& writeDir)
{
    BeneathResult result = BeneathResult::Failed;
    const HANDLE directory = OpenDirectoryHandle(writeDir, &result);
    if (directory == INVALID_HANDLE_VALUE)
        return 0;
    Sweep sweep;
    SweepFolder(directory, 0, &sweep);
    return sweep.removed;
}
