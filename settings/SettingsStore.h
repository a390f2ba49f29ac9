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

// Appends to searchDirs; the caller's list is expected to be empty.
void LoadSettings(const CSettingsFields& fields);
void SaveSettings(const CSettingsFields& fields);
