#pragma once
// The settings store as an administrator sees it: the SQLite file that holds
// HKEY_LOCAL_MACHINE, written and read with the sqlite3 library, not with the
// program's own code.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

inline const char* const kStoreFile = "/var/lib/vantrel/hklm.db";
inline const char* const kSettingsKey = "SOFTWARE\\Corvane\\TFTP\\Settings";

struct StoredValue {
    int type = 0;
    std::string data; // the bytes exactly as stored

    bool operator==(const StoredValue&) const = default;
};

StoredValue TextValue(const std::string& text);
StoredValue NumberValue(std::uint32_t number);

// Creates the file with the documented tables and puts values under key,
// with a row for the key and for each of its ancestors.
void ProvisionStore(const std::string& file, const std::string& key, const std::map<std::string, StoredValue>& values);
// Every value under key; empty when the file or the key is missing.
std::map<std::string, StoredValue> ReadStore(const std::string& file, const std::string& key);
