#include "platform/posix/DurableReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

unsigned NewFileMode()
{
    // The umask can only be read by setting it; read once, while the program
    // creates no file in between.
    static const mode_t mask = [] {
        const mode_t current = umask(0);
        umask(current);
        return current;
    }();
    return 0666 & ~mask;
}

// A directory that this account may write but not read (a drop box) cannot
// be opened to flush it; flushing its whole filesystem, through the file in
// it, makes the entry durable as well.
static bool SyncDirectory(int directory, int fileInIt)
{
    const int readable = openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (readable < 0)
        return syncfs(fileInIt) == 0;
    const bool synced = fsync(readable) == 0;
    close(readable);
    return synced;
}

bool ReplaceDurably(int directory, int fd, const std::string& temporary, const std::string& target, unsigned mode)
{
    return fchmod(fd, static_cast<mode_t>(mode)) == 0 && fsync(fd) == 0
        && renameat(directory, temporary.c_str(), directory, target.c_str()) == 0 && SyncDirectory(directory, fd);
}
