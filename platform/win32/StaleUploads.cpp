#include "platform/TemporaryUpload.h"

#include "platform/WinTypes.h"

// Files only: a directory or a reparse point of that name is someone else's.
int RemoveTemporaryUploadFiles(const std::string& writeDir)
{
    WIN32_FIND_DATAA entry{};
    const HANDLE listing = FindFirstFileA((writeDir + "\\*").c_str(), &entry);
    if (listing == INVALID_HANDLE_VALUE)
        return 0;
    int removed = 0;
    do {
        const bool file = !(entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
        if (file && IsTemporaryUploadNameAsMade(entry.cFileName)
            && DeleteFileA((writeDir + '\\' + entry.cFileName).c_str()))
            ++removed;
    } while (FindNextFileA(listing, &entry));
    FindClose(listing);
    return removed;
}
