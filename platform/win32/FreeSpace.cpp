#include "platform/FreeSpace.h"

#include "platform/win32/WideText.h"

#include <windows.h>

long long FreeBytesIn(const std::string& directory)
{
    bool valid = false;
    const std::wstring path = WidenUtf8(directory, &valid);
    ULARGE_INTEGER available{};
    if (!valid || !GetDiskFreeSpaceExW(path.c_str(), &available, nullptr, nullptr))
        return -1;
    return static_cast<long long>(available.QuadPart);
}
