#pragma once
// Linux commands from a test under wine, for what a Windows program cannot do
// there: run Linux's own TFTP clients, or make a symbolic link, which wine 8's
// CreateSymbolicLink reports made without making it.
#include <string>

// Runs command with /bin/sh while the event loop goes on; its exit status, or
// -1 when it did not end within timeoutMs. statusFolder is the Linux path of
// a folder the test may write, where the command leaves its status.
int RunLinux(const std::string& command, const std::string& statusFolder, int timeoutMs = 20000);
