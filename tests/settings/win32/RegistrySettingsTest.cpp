// The settings in Windows' own registry: the values, types and byte counts of
// settings/README.md under HKEY_LOCAL_MACHINE, and the load of what a save
// stored. Each run of the test has a wine prefix, and so a registry, of its own.
#include "settings/SettingsStore.h"
#include "tests/settings/support/SettingsValues.h"

#include "platform/Registry.h"
#include "platform/win32/WideText.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const char* const kSettings = "SOFTWARE\\Corvane\\TFTP\\Settings";

struct StoredValue {
    const char* name;
    DWORD type;
    std::string data;
    bool operator==(const StoredValue&) const = default;
};

void PrintTo(const StoredValue& value, std::ostream* out)
{
    *out << value.name << " type " << value.type << ", " << value.data.size() << " bytes";
}

// The value's bytes as the registry keeps them: texts in UTF-16.
StoredValue Query(const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettings, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {name, 0, "no key"};
    const std::wstring wideName(name, name + std::char_traits<char>::length(name));
    DWORD type = 0, size = 0;
    RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &size);
    std::string data(size, '\0');
    if (RegQueryValueExW(key, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size)
        != ERROR_SUCCESS)
        type = 0;
    RegCloseKey(key);
    data.resize(size);
    return {name, type, data};
}

// A UTF-8 text as the registry keeps it: UTF-16, with a terminating NUL
// unless it is empty, as RegSetValueExA stores a text counted without its NUL.
std::string Text(const std::string& text)
{
    const std::wstring wide = WidenUtf8(text);
    const std::string bytes(reinterpret_cast<const char*>(wide.c_str()), wide.size() * sizeof(wchar_t));
    return text.empty() ? bytes : bytes + std::string(sizeof(wchar_t), '\0');
}

std::string Dword(DWORD number)
{
    return std::string(reinterpret_cast<const char*>(&number), sizeof number);
}

// Whether this registry saves in one transaction or value by value.
bool HasTransactions()
{
    HKEY key = nullptr;
    const HANDLE transaction = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
    const LONG status = RegCreateKeyTransactedA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, nullptr, 0, KEY_READ, nullptr, &key,
                                                nullptr, transaction, nullptr);
    if (status == ERROR_SUCCESS)
        RegCloseKey(key);
    CloseHandle(transaction);
    return status != ERROR_CALL_NOT_IMPLEMENTED;
}

} // namespace

TEST(RegistrySettings, SavedSettingsAreTheSchemasValuesAndLoadBack)
{
    SCOPED_TRACE(HasTransactions() ? "saved in a transaction" : "saved value by value, without transactions");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvane");
    SettingsValues first;
    ASSERT_TRUE(ReadSettingsFromRegistry(first.Refs()));
    EXPECT_EQ(first, SettingsValues{});
    WriteSettingsToRegistry(first.Refs());
    EXPECT_EQ(Query("WriteDir"), (StoredValue{"WriteDir", REG_SZ, Text("")})) << "an empty text is a value of 0 bytes";

    // Folders in Cyrillic, in fullwidth letters and in CJK characters, none of
    // which an ANSI code page holds all of, are kept byte for byte.
    const std::string cyrillic = "C:\\Загрузки", fullwidth = "D:\\ｃｏｎｆｉｇ", cjk = "C:\\启动映像";
    SettingsValues three{cyrillic, 1, 0, {"C:\\boot", fullwidth, "C:\\old"}};
    WriteSettingsToRegistry(three.Refs());
    SettingsValues two{cyrillic, 1, 1, {cjk, fullwidth}};
    WriteSettingsToRegistry(two.Refs());

    const std::vector<StoredValue> expected{
        {"WriteDir", REG_SZ, Text(cyrillic)},      {"EnableWrite", REG_DWORD, Dword(1)},
        {"RunMinimized", REG_DWORD, Dword(1)},     {"ReadirCount", REG_DWORD, Dword(2)},
        {"ReadirRoot-0", REG_SZ, Text(cjk)},       {"ReadirRoot-1", REG_SZ, Text(fullwidth)},
        {"ReadirRoot-2", REG_SZ, Text("C:\\old")},
    };
    for (const StoredValue& value : expected)
        EXPECT_EQ(Query(value.name), value) << "a shorter list leaves the rest";
    SettingsValues loaded;
    EXPECT_TRUE(ReadSettingsFromRegistry(loaded.Refs()));
    EXPECT_EQ(loaded, two);

    SettingsValues broken{"C:\\in\xff", 0, 0, {}};
    EXPECT_EQ(WriteSettingsToRegistry(broken.Refs()), ERROR_NO_UNICODE_TRANSLATION) << "a text that is not UTF-8";
    EXPECT_EQ(Query("WriteDir"), (StoredValue{"WriteDir", REG_SZ, Text(cyrillic)}));
}

// The reg.exe commands of the store's README, so that what administrators are
// told to run is what the program reads.
std::vector<std::string> DocumentedRegCommands()
{
    std::ifstream readme(VANTREL_SOURCE_DIR "/settings/README.md");
    std::string line;
    while (std::getline(readme, line) && line != "```bat") { }
    std::vector<std::string> commands;
    while (std::getline(readme, line) && line != "```")
        commands.push_back(line);
    return commands;
}

// Wine fails CreateProcess with ERROR_INTERNAL_ERROR when the new process
// ends before its start-up is done (its loader failed), which once stopped
// the first reg.exe in some twenty runs of the suite: the command never ran,
// so starting it again is what a user would do. reg.exe itself ends with 0
// or 1, so a start that fails is said apart from the command's own failure.
bool StartCommand(std::string command, PROCESS_INFORMATION* process)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    for (int tries = 0; tries < 3; ++tries) {
        if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, process))
            return true;
        if (GetLastError() != ERROR_INTERNAL_ERROR)
            break;
    }
    ADD_FAILURE() << "could not start " << command << ": error " << GetLastError();
    return false;
}

DWORD RunCommand(const std::string& command)
{
    PROCESS_INFORMATION process{};
    if (!StartCommand(command, &process))
        return 1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

TEST(RegistrySettings, TheDocumentedRegProvisioningIsWhatLoads)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvane");
    const std::vector<std::string> commands = DocumentedRegCommands();
    ASSERT_FALSE(commands.empty());
    for (const std::string& command : commands)
        EXPECT_EQ(RunCommand(command), 0u) << command;
    SettingsValues loaded;
    EXPECT_TRUE(ReadSettingsFromRegistry(loaded.Refs()));
    EXPECT_EQ(loaded, (SettingsValues{"C:\\tftp\\in", 1, 0, {"C:\\tftp\\boot"}}));
}
