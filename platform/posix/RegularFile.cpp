#include "platform/RegularFile.h"

#include "platform/posix/OpenBeneath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// O_NONBLOCK keeps the open of a FIFO from waiting for its other end; the
// type is checked on the open descriptor, so nothing can swap it in between.
static int OpenRegular(int directory, const std::string& name, long long* size, BeneathResult* result)
{
    const int fd = OpenBeneath(directory, name, O_RDONLY | O_NONBLOCK, result);
    if (fd < 0)
        return -1;
    struct stat info = {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        *result = BeneathResult::Missing;
        return -1;
    }
    *size = info.st_size;
    return fd;
}

FileId OpenRegularFileForRead(const std::string& directory, const std::string& name, long long* size,
                              BeneathResult* result)
{
    const int fd = OpenDirectory(directory, result);
    if (fd < 0)
        return kNoFile;
    const int file = OpenRegular(fd, name, size, result);
    close(fd);
    return file < 0 ? kNoFile : file;
}
