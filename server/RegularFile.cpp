#include "server/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// O_NONBLOCK keeps the open of a FIFO from waiting for its other end; the
// type is checked on the open descriptor, so nothing can swap it in between.
static std::FILE* OpenRegular(const std::string& path, int flags, const char* mode, off_t* size)
{
    const int fd = open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    const bool emptied = !(flags & O_WRONLY) || (regular && ftruncate(fd, 0) == 0);
    std::FILE* file = regular && emptied ? fdopen(fd, mode) : nullptr;
    if (!file) {
        close(fd);
        return nullptr;
    }
    if (size)
        *size = info.st_size;
    return file;
}

std::FILE* OpenRegularFileForRead(const std::string& path, off_t* size)
{
    return OpenRegular(path, O_RDONLY, "rb", size);
}

std::FILE* OpenRegularFileForWrite(const std::string& path)
{
    // Not O_TRUNC: only a file already known to be regular is emptied.
    return OpenRegular(path, O_WRONLY | O_CREAT, "wb", nullptr);
}
