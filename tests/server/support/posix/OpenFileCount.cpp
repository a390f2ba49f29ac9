#include "tests/server/support/OpenFileCount.h"

#include <filesystem>

int OpenFileCount()
{
    auto fds = std::filesystem::directory_iterator("/proc/self/fd");
    return static_cast<int>(std::distance(std::filesystem::begin(fds), std::filesystem::end(fds)));
}
