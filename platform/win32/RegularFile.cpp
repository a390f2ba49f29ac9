#include "platform/RegularFile.h"

#include "platform/win32/OpenBeneath.h"
#include "platform/win32/WideText.h"

// Shared for deletion, so that an upload can replace the file while this
// download goes on with the old bytes. The type is checked on the open handle,
// so nothing can swap it in between.
static HANDLE OpenRegular(HANDLE directory, const std::string& name, long long* size, BeneathResult* result)
{
    const OpenMode mode{GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, FILE_OPEN, FILE_NON_DIRECTORY_FILE, 0};
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

// A name whose bytes are not UTF-8 names no file that Windows can hold.
FileId OpenRegularFileForRead(const std::string& directory, const std::string& name, long long* size,
                              BeneathResult* result)
{
    bool utf8 = false;
    WidenUtf8(name, &utf8);
    if (!utf8) {
        *result = BeneathResult::Missing;
        return kNoFile;
    }
    const HANDLE held = OpenDirectoryHandle(directory, result);
    if (held == INVALID_HANDLE_VALUE)
        return kNoFile;
    const HANDLE file = OpenRegular(held, name, size, result);
    CloseHandle(held);
    return reinterpret_cast<FileId>(file);
}
