// The installer under wine: it puts vantrel.exe, its readme and an uninstaller
// into Program Files with a Start-menu entry and an entry among the installed
// programs, and the uninstaller takes all of that away again but leaves the
// settings in the registry.
#include "platform/WinTypes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const kFolder = "C:\\Program Files\\Vantrel";
const char* const kShortcut = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Vantrel.lnk";
const char* const kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantrel";
const char* const kSettings = "SOFTWARE\\Corvane\\TFTP\\Settings";

// Runs a program to its end; its exit code, or -1.
int RunToItsEnd(std::string commandLine)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    DWORD code = 0;
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.hProcess, &code))
        code = static_cast<DWORD>(-1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Value(const char* key, const char* name)
{
    char value[256] = "";
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return "<none>";
    return value;
}

} // namespace

TEST(Installer, InstallsIntoProgramFilesAndItsUninstallerLeavesTheSettings)
{
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSettings, "WriteDir", REG_SZ, "C:\\tftp", 8), ERROR_SUCCESS);
    std::string installer = "Z:" VANTREL_BINARY_DIR "/" VANTREL_INSTALLER;
    for (char& c : installer)
        if (c == '/')
            c = '\\';
    ASSERT_EQ(RunToItsEnd("\"" + installer + "\" /S"), 0);
    for (const char* file : {"vantrel.exe", "README.txt", "uninstall.exe"})
        EXPECT_TRUE(Exists(std::string(kFolder) + "\\" + file)) << file;
    EXPECT_TRUE(Exists(kShortcut));
    EXPECT_EQ(Value(kUninstallKey, "DisplayVersion"), VANTREL_VERSION);

    // Run in place (_?=), the uninstaller ends when it is done; it cannot
    // remove itself then, nor so its folder.
    ASSERT_EQ(RunToItsEnd("\"" + std::string(kFolder) + "\\uninstall.exe\" /S _?=" + kFolder), 0);
    EXPECT_FALSE(Exists(std::string(kFolder) + "\\vantrel.exe"));
    EXPECT_FALSE(Exists(std::string(kFolder) + "\\README.txt"));
    EXPECT_FALSE(Exists(kShortcut));
    EXPECT_EQ(Value(kUninstallKey, "DisplayVersion"), "<none>");
    EXPECT_EQ(Value(kSettings, "WriteDir"), "C:\\tftp");
}
