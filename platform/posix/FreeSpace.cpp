#include "platform/FreeSpace.h"

#include <sys/statvfs.h>

long long FreeBytesIn(const std::string& directory)
{
    struct statvfs space { };
    if (statvfs(directory.c_str(), &space) != 0)
        return -1;
    return static_cast<long long>(space.f_bavail) * static_cast<long long>(space.f_frsize);
}
