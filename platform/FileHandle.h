#pragma once
// An open file as the shared layers hold it: a number that only the platform
// layer interprets (a descriptor on Linux, a HANDLE on Windows), and the
// reasons a requested name may not open.
#include <cstdint>

using FileId = std::intptr_t;
// No file; on Windows INVALID_HANDLE_VALUE has the same value.
constexpr FileId kNoFile = -1;

enum class BeneathResult {
    Opened,
    Missing,       // no such file, or a path component is not a directory
    Outside,       // the name, or a link on its way, leads out of the directory
    NoDescriptors, // the process or the system is out of file descriptors or handles
    Failed,        // any other reason, such as a permission
};
