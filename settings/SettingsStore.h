#pragma once
// Load and save of the main window's four settings fields, under the
// "Settings" sub-key of the base key.
#include <string>
#include <vector>

struct CSettingsFields {
    std::string& writeDir;
    int& enableWrite;
    int& runMinimized;
    std::vector<std::string>& searchDirs;
};

// Appends to searchDirs; the caller's list is expected to be empty. False when
// the store could not be read for any reason but the settings' absence
// (another program holding it past the wait, a damaged or unreadable file):
// the fields then hold the defaults, and should not be saved over the store.
bool ReadSettingsFromRegistry(const CSettingsFields& fields);
// Writes the four fields in one transaction: when another program holds the
// store past the wait, nothing is written.
void WriteSettingsToRegistry(const CSettingsFields& fields);
