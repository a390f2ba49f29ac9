#include "tests/fuzz/support/FuzzChecks.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <system_error>
#include <vector>

void Require(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

int OpenDescriptorCount()
{
    DIR* fds = opendir("/proc/self/fd");
    if (!fds)
        return -1;
    int count = 0;
    while (readdir(fds))
        ++count;
    closedir(fds);
    return count;
}

namespace {

std::vector<std::string>& ScratchFolders()
{
    static std::vector<std::string> folders;
    return folders;
}

void RemoveScratchFolders()
{
    std::error_code error;
    for (const std::string& folder : ScratchFolders())
        std::filesystem::remove_all(folder, error);
}

} // namespace

// /dev/shm when there is one: the runs write files by the million.
std::string MakeScratchFolder(const char* prefix)
{
    const std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm/" : "/tmp/";
    std::string pattern = base + prefix + "-XXXXXX";
    Require(mkdtemp(pattern.data()) != nullptr, "scratch folder");
    if (ScratchFolders().empty())
        std::atexit(RemoveScratchFolders);
    ScratchFolders().push_back(pattern);
    return pattern;
}
