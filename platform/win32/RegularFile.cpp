#include "platform/RegularFile.h"

#include "platform/win32/OpenBeneath.h"

// Shared for deletion, so that an upload can replace the file while this
// download goes on with the old bytes. The type is checked on the open handle,
// so nothing can swap it in between.
static HANDLE OpenRegular(HANDLE directory, const std::string& name, long long* size, BeneathResult* result)
{
    const OpenMode mode{GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL};
    const HANDLE file = OpenBeneath(directory, name, mode, result);
    if (file == INVALID_HANDLE_VALUE)
        return file;
    BY_HANDLE_FILE_INFORMATION info{};
    LARGE_INTEGER length{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info)
        || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !GetFileSizeEx(file, &length)) {
        CloseHandle(file);
        *result = BeneathResult::Missing;
        return INVALID_HANDLE_VALUE;
    }
    *size = length.QuadPart;
    return file;
}

FileId OpenRegularFileForRead(const std::string& directory, const std::string& name, long long* size,
                              BeneathResult* result)
{
    const HANDLE held = OpenDirectoryHandle(directory, result);
    if (held == INVALID_HANDLE_VALUE)
        return kNoFile;
    const HANDLE file = OpenRegular(held, name, size, result);
    CloseHandle(held);
    return reinterpret_cast<FileId>(file);
}
