#include "tests/support/win32/LinuxCommand.h"

#include "platform/WinTypes.h"
#include "platform/win32/WideText.h"
#include "tests/support/EventPump.h"

#include <filesystem>
#include <fstream>

// Wine starts a Linux program without a handle to wait on, so the command
// leaves its status in a file, which appears whole by a rename. Z: is the
// root of the Linux filesystem under wine. The command is UTF-8, as Linux
// takes it.
int RunLinux(const std::string& command, const std::string& statusFolder, int timeoutMs)
{
    const std::string status = statusFolder + "/status";
    const std::filesystem::path done = "Z:" + status;
    std::filesystem::remove(done);
    std::wstring line = WidenUtf8("/bin/sh -c \"" + command + "; echo $? >" + status + ".new; mv " + status + ".new "
                                  + status + "\"");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    if (process.hProcess)
        CloseHandle(process.hProcess);
    if (process.hThread)
        CloseHandle(process.hThread);
    if (!PumpUntil([&] { return std::filesystem::exists(done); }, timeoutMs))
        return -1;
    int code = -1;
    std::ifstream(done) >> code;
    return code;
}
