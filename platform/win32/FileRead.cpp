#include "platform/FileRead.h"

#include "platform/WinTypes.h"

#include <algorithm>

// Each read names its offset in its OVERLAPPED, on a handle opened for
// ordinary, synchronous reads.
long long ReadAt(FileId file, void* buffer, std::size_t count, long long offset)
{
    std::size_t done = 0;
    while (done < count) {
        const long long at = offset + static_cast<long long>(done);
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
        DWORD read = 0;
        if (!ReadFile(reinterpret_cast<HANDLE>(file), static_cast<char*>(buffer) + done, wanted, &read, &position))
            return GetLastError() == ERROR_HANDLE_EOF ? static_cast<long long>(done) : -1;
        if (read == 0)
            break;
        done += read;
    }
    return static_cast<long long>(done);
}

void CloseFile(FileId file)
{
    CloseHandle(reinterpret_cast<HANDLE>(file));
}
