#pragma once
// Client programs and the program under test seen from outside: runs that
// may go on in many threads at once, and what /proc tells of a process.
#include <string>
#include <sys/types.h>
#include <vector>

// Runs argv to its end with its output discarded, killed after timeoutSeconds;
// its exit code, or -1 when it did not end by itself. Safe from any thread.
int RunQuietly(const std::vector<std::string>& argv, int timeoutSeconds = 60);
// The process id of this process's child that runs the executable at path.
pid_t ChildRunning(const std::string& path);
// The descriptors the process holds, and its resident memory in kB.
int DescriptorCount(pid_t pid);
long ResidentKb(pid_t pid);
// AddressSanitizer keeps freed memory in quarantine, so resident memory says
// nothing there; LeakSanitizer checks the program's leaks at its exit instead.
#ifdef __SANITIZE_ADDRESS__
constexpr bool kResidentMemoryIsMeaningful = false;
#else
constexpr bool kResidentMemoryIsMeaningful = true;
#endif
