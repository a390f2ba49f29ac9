#include "platform/FileRead.h"

#include <cerrno>
#include <unistd.h>

long long ReadAt(FileId file, void* buffer, std::size_t count, long long offset)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = pread(static_cast<int>(file), static_cast<char*>(buffer) + done, count - done,
                                offset + static_cast<long long>(done));
        if (n == 0)
            break;
        if (n < 0 && errno != EINTR)
            return -1;
        if (n > 0)
            done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

void CloseFile(FileId file)
{
    close(static_cast<int>(file));
}
