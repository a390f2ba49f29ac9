#include "settings/SettingsStore.h"

#include "settings/RegistryRoutines.h"

#include <algorithm>
#include <cstdint>

namespace {

const char* const kSettingsKey = "Settings";

// A damaged count must not hold up the start for billions of reads.
constexpr std::int32_t kMaxSearchDirs = 1024;

std::string EntryName(std::size_t index) { return "ReadirRoot-" + std::to_string(index); }

}  // namespace

void LoadSettings(const CSettingsFields& fields) {
  HKEY key = OpenSettingsKey();
  fields.writeDir = ReadRegString(key, kSettingsKey, "WriteDir", "");
  fields.enableWrite = static_cast<int>(ReadRegDword(key, kSettingsKey, "EnableWrite", 0));
  fields.runMinimized = static_cast<int>(ReadRegDword(key, kSettingsKey, "RunMinimized", 0));
  const auto count = static_cast<std::int32_t>(ReadRegDword(key, kSettingsKey, "ReadirCount", 0));
  for (std::int32_t i = 0; i < std::min(count, kMaxSearchDirs); ++i) {
    fields.searchDirs.push_back(ReadRegString(key, kSettingsKey, EntryName(i).c_str(), ""));
  }
  RegCloseKey(key);
}

void SaveSettings(const CSettingsFields& fields) {
  HKEY key = OpenSettingsKey();
  WriteRegString(key, kSettingsKey, "WriteDir", fields.writeDir.c_str());
  WriteRegDword(key, kSettingsKey, "EnableWrite", static_cast<DWORD>(fields.enableWrite));
  WriteRegDword(key, kSettingsKey, "RunMinimized", static_cast<DWORD>(fields.runMinimized));
  WriteRegDword(key, kSettingsKey, "ReadirCount", static_cast<DWORD>(fields.searchDirs.size()));
  for (std::size_t i = 0; i < fields.searchDirs.size(); ++i) {
    WriteRegString(key, kSettingsKey, EntryName(i).c_str(), fields.searchDirs[i].c_str());
  }
  RegCloseKey(key);
}
