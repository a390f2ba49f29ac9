#include "StoreFile.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {

void Exec(sqlite3* db, const std::string& sql)
{
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << error;
}

void InsertKeyAndAncestors(sqlite3* db, const std::string& key)
{
    sqlite3_stmt* insert = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "INSERT OR IGNORE INTO reg_keys(path) VALUES (?)", -1, &insert, nullptr),
              SQLITE_OK);
    for (std::size_t end = key.find('\\');; end = key.find('\\', end + 1)) {
        const std::string path = key.substr(0, end);
        sqlite3_bind_text(insert, 1, path.c_str(), -1, SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_reset(insert);
        if (end == std::string::npos)
            break;
    }
    sqlite3_finalize(insert);
}

void InsertValue(sqlite3* db, const std::string& key, const std::string& name, const StoredValue& v)
{
    sqlite3_stmt* insert = nullptr;
    ASSERT_EQ(
        sqlite3_prepare_v2(db, "INSERT INTO reg_values(key, name, type, data) VALUES (?,?,?,?)", -1, &insert, nullptr),
        SQLITE_OK);
    sqlite3_bind_text(insert, 1, key.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(insert, 3, v.type);
    sqlite3_bind_blob(insert, 4, v.data.data(), static_cast<int>(v.data.size()), SQLITE_TRANSIENT);
    EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
    sqlite3_finalize(insert);
}

} // namespace

StoredValue TextValue(const std::string& text)
{
    return {1, text};
}

StoredValue NumberValue(std::uint32_t number)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return {4, bytes};
}

void ProvisionStore(const std::string& file, const std::string& key, const std::map<std::string, StoredValue>& values)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    Exec(db,
         "CREATE TABLE reg_keys (path TEXT PRIMARY KEY COLLATE NOCASE);"
         "CREATE TABLE reg_values (key TEXT NOT NULL COLLATE NOCASE, name TEXT NOT NULL "
         "COLLATE NOCASE, type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY (key, name));");
    InsertKeyAndAncestors(db, key);
    for (const auto& [name, value] : values)
        InsertValue(db, key, name, value);
    sqlite3_close(db);
}

std::map<std::string, StoredValue> ReadStore(const std::string& file, const std::string& key)
{
    std::map<std::string, StoredValue> values;
    struct stat info = {};
    if (::stat(file.c_str(), &info) != 0)
        return values;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return values;
    }
    sqlite3_stmt* select = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name, type, data FROM reg_values WHERE key = ?", -1, &select, nullptr)
        == SQLITE_OK) {
        sqlite3_bind_text(select, 1, key.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(select) == SQLITE_ROW) {
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(select, 0));
            const auto* data = static_cast<const char*>(sqlite3_column_blob(select, 2));
            values[name]
                = {sqlite3_column_int(select, 1), std::string(data ? data : "", sqlite3_column_bytes(select, 2))};
        }
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    return values;
}
