#include "platform/posix/OpenBeneath.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

static BeneathResult ResultOf(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR: return BeneathResult::Missing;
    case EXDEV:
    case ELOOP: return BeneathResult::Outside;
    case EMFILE:
    case ENFILE: return BeneathResult::NoDescriptors;
    default: return BeneathResult::Failed;
    }
}

static int Finish(int fd, BeneathResult* result)
{
    *result = fd >= 0 ? BeneathResult::Opened : ResultOf(errno);
    return fd;
}

int OpenDirectory(const std::string& path, BeneathResult* result)
{
    return Finish(open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC), result);
}

static std::string DescriptorPath(int fd)
{
    char path[PATH_MAX];
    const ssize_t length = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

static bool IsBeneath(const std::string& path, const std::string& directory)
{
    if (directory.empty() || path.size() <= directory.size() || path.compare(0, directory.size(), directory) != 0)
        return false;
    return directory.back() == '/' || path[directory.size()] == '/';
}

static int OpenAt2(int directory, const std::string& name, int flags, unsigned long long resolve)
{
    open_how how{};
    how.flags = static_cast<unsigned long long>(flags | O_CLOEXEC);
    how.resolve = resolve;
    return static_cast<int>(syscall(SYS_openat2, directory, name.c_str(), &how, sizeof how));
}

// RESOLVE_BENEATH refuses every absolute link and every ".." that climbs
// above the directory, even when the path ends up inside again. Such a name
// is resolved the ordinary way without opening the file itself (O_PATH opens
// no device and blocks on no FIFO), and the file is opened through its
// descriptor only when it does lie beneath the directory. Magic links such as
// /proc/<pid>/root are never followed: they lead into another process's
// mount namespace, where a path that reads as beneath the directory may be
// any file at all.
static int OpenThroughLinks(int directory, const std::string& name, int flags, BeneathResult* result)
{
    const int located = OpenAt2(directory, name, O_PATH, RESOLVE_NO_MAGICLINKS);
    if (located < 0)
        return Finish(located, result);
    int fd = -1;
    errno = EXDEV;
    if (IsBeneath(DescriptorPath(located), DescriptorPath(directory)))
        fd = open(("/proc/self/fd/" + std::to_string(located)).c_str(), flags | O_CLOEXEC);
    const int error = errno;
    close(located);
    errno = error;
    return Finish(fd, result);
}

int OpenBeneath(int directory, const std::string& name, int flags, BeneathResult* result)
{
    const int fd = OpenAt2(directory, name, flags, RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS);
    if (fd < 0 && errno == EXDEV)
        return OpenThroughLinks(directory, name, flags, result);
    return Finish(fd, result);
}
