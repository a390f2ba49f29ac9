#include "settings/SettingsStore.h"

#include "settings/RegistryRoutines.h"

#include <algorithm>
#include <cstdint>

namespace {

const char* const kSettingsKey = "Settings";

// A damaged count must not hold up the start for billions of reads.
constexpr std::int32_t kMaxSearchDirs = 1024;

std::string EntryName(std::size_t index)
{
    return "ReadirRoot-" + std::to_string(index);
}

} // namespace

bool ReadSettingsFromRegistry(const CSettingsFields& fields, LONG* reason)
{
    LONG failure = ERROR_SUCCESS;
    HKEY key = OpenSettingsKey(&failure);
    fields.writeDir = ReadRegString(key, kSettingsKey, "WriteDir", "", &failure);
    fields.enableWrite = static_cast<int>(ReadRegDword(key, kSettingsKey, "EnableWrite", 0, &failure));
    fields.runMinimized = static_cast<int>(ReadRegDword(key, kSettingsKey, "RunMinimized", 0, &failure));
    const auto count = static_cast<std::int32_t>(ReadRegDword(key, kSettingsKey, "ReadirCount", 0, &failure));
    for (std::int32_t i = 0; i < std::min(count, kMaxSearchDirs); ++i) {
        fields.searchDirs.push_back(ReadRegString(key, kSettingsKey, EntryName(i).c_str(), "", &failure));
    }
    RegCloseKey(key);
    if (reason != nullptr)
        *reason = failure;
    if (failure == ERROR_SUCCESS)
        return true;
    // What was read before the failure would mix with defaults; none of it counts.
    fields.writeDir.clear();
    fields.enableWrite = 0;
    fields.runMinimized = 0;
    fields.searchDirs.clear();
    return false;
}

LONG WriteSettingsToRegistry(const CSettingsFields& fields)
{
    LONG failure = ERROR_SUCCESS;
    HANDLE transaction = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
    HKEY key = OpenSettingsKeyTransacted(transaction, &failure);
    WriteRegString(key, kSettingsKey, "WriteDir", fields.writeDir.c_str(), &failure);
    WriteRegDword(key, kSettingsKey, "EnableWrite", static_cast<DWORD>(fields.enableWrite), &failure);
    WriteRegDword(key, kSettingsKey, "RunMinimized", static_cast<DWORD>(fields.runMinimized), &failure);
    WriteRegDword(key, kSettingsKey, "ReadirCount", static_cast<DWORD>(fields.searchDirs.size()), &failure);
    for (std::size_t i = 0; i < fields.searchDirs.size(); ++i) {
        WriteRegString(key, kSettingsKey, EntryName(i).c_str(), fields.searchDirs[i].c_str(), &failure);
    }
    RegCloseKey(key);
    if (failure == ERROR_SUCCESS && !CommitTransaction(transaction))
        failure = static_cast<LONG>(GetLastError());
    // Whatever was not committed is rolled back here.
    CloseHandle(transaction);
    return failure;
}
