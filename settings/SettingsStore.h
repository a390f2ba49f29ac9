#pragma once
// Load and save of the main window's four settings fields, under the
// "Settings" sub-key of the base key.
#include "platform/Registry.h"

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
// The registry's error goes to *reason when given (ERROR_SUCCESS after a load).
bool ReadSettingsFromRegistry(const CSettingsFields& fields, LONG* reason = nullptr);
// Writes the four fields in one transaction, so that they land together or
// not at all: when another program holds the store past the wait, or any one
// value cannot be written, nothing is. ERROR_SUCCESS, or the registry's error.
LONG WriteSettingsToRegistry(const CSettingsFields& fields);
