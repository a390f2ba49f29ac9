#pragma once
// The four settings as values of their own, for tests to provision, compare
// and read back through the registry routines.
#include "settings/SettingsStore.h"

#include <ostream>
#include <string>
#include <vector>

struct SettingsValues {
    std::string writeDir;
    int enableWrite = 0;
    int runMinimized = 0;
    std::vector<std::string> searchDirs;

    CSettingsFields Refs() { return {writeDir, enableWrite, runMinimized, searchDirs}; }
    bool operator==(const SettingsValues&) const = default;
};

inline void PrintTo(const SettingsValues& values, std::ostream* out)
{
    *out << "'" << values.writeDir << "' " << values.enableWrite << " " << values.runMinimized << " [";
    for (const std::string& dir : values.searchDirs)
        *out << "'" << dir << "' ";
    *out << "]";
}

// What the registry holds now.
inline SettingsValues Stored()
{
    SettingsValues values;
    ReadSettingsFromRegistry(values.Refs());
    return values;
}
