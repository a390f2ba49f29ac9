#include "platform/registry/RegistryStore.h"

#include "platform/registry/Registry.h"
#include "platform/registry/RegistryPath.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace {

const char* const kCreateTables = "CREATE TABLE IF NOT EXISTS reg_keys (path TEXT PRIMARY KEY COLLATE NOCASE);"
                                  "CREATE TABLE IF NOT EXISTS reg_values (key TEXT NOT NULL COLLATE NOCASE,"
                                  " name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT NULL, data BLOB NOT NULL,"
                                  " PRIMARY KEY (key, name));";

LONG ResultOf(int sqliteResult)
{
    if (sqliteResult == SQLITE_CANTOPEN_SYMLINK)
        return ERROR_BADDB;
    switch (sqliteResult & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE: return ERROR_SUCCESS;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT: return ERROR_BADDB;
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ERROR_SHARING_VIOLATION;
    default: return ERROR_REGISTRY_IO_FAILED;
    }
}

// The result of a step that looks up one row: ERROR_FILE_NOT_FOUND when
// there is none.
LONG RowResult(int step)
{
    if (step == SQLITE_ROW)
        return ERROR_SUCCESS;
    return step == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : ResultOf(step);
}

// The file's path with its folder's links resolved: SQLite's NOFOLLOW refuses
// a link anywhere on the path, and a linked folder is the administrator's
// choice. The file's own name stays as it is.
std::string PathWithFolderResolved(const std::string& file)
{
    const std::filesystem::path path(file);
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::canonical(path.parent_path(), error);
    return error ? file : (folder / path.filename()).string();
}

const char* const kFindKey = "SELECT path FROM reg_keys WHERE path = ?1";

} // namespace

bool MayAccessStore(const std::string& file, bool write)
{
    std::filesystem::path existing(file);
    std::error_code error;
    while (!existing.empty() && !std::filesystem::exists(existing, error)) {
        existing = existing.parent_path();
    }
    if (existing.empty())
        existing = ".";
    return access(existing.c_str(), write ? W_OK : R_OK) == 0;
}

CRegistryStore::~CRegistryStore()
{
    m_statements.Clear();
    sqlite3_close(m_db);
}

LONG CRegistryStore::Open(const std::string& file, bool mayCreate, int busyTimeoutMs)
{
    // A link at the file's name, dangling or not, is never followed: it would
    // have the store read from, or created at, wherever it points.
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(file, error);
    const bool exists = std::filesystem::exists(status);
    if (exists && !std::filesystem::is_regular_file(status))
        return ERROR_BADDB;
    if (!exists) {
        if (!mayCreate)
            return ERROR_FILE_NOT_FOUND;
        // A failure here shows in the open below.
        std::filesystem::create_directories(std::filesystem::path(file).parent_path(), error);
    }
    // NOFOLLOW closes the gap between the look above and the open.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | (exists ? 0 : SQLITE_OPEN_CREATE);
    if (sqlite3_open_v2(PathWithFolderResolved(file).c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
        return ResultOf(sqlite3_extended_errcode(m_db));
    }
    sqlite3_busy_timeout(m_db, busyTimeoutMs);
    RememberFile(file);
    LONG result = Execute("PRAGMA synchronous = FULL");
    Schema schema = Schema::Foreign;
    if (result == ERROR_SUCCESS)
        result = ReadSchema(schema);
    if (result != ERROR_SUCCESS)
        return result;
    if (schema == Schema::Ours)
        return ERROR_SUCCESS;
    if (schema == Schema::Foreign)
        return ERROR_BADDB;
    return mayCreate ? CreateTables() : ERROR_FILE_NOT_FOUND;
}

void CRegistryStore::RememberFile(const std::string& file)
{
    struct stat status = {};
    if (stat(file.c_str(), &status) != 0)
        return;
    m_file = file;
    m_device = status.st_dev;
    m_inode = status.st_ino;
}

bool CRegistryStore::StillNamesOpenedFile() const
{
    struct stat status = {};
    return !m_file.empty() && stat(m_file.c_str(), &status) == 0 && status.st_dev == m_device
        && status.st_ino == m_inode;
}

LONG CRegistryStore::ReadSchema(Schema& schema)
{
    CStatement count(m_statements,
                     "SELECT count(*), count(*) FILTER (WHERE type = 'table' AND name IN"
                     " ('reg_keys', 'reg_values')) FROM sqlite_master");
    const int step = count.Step();
    if (step != SQLITE_ROW)
        return ResultOf(step);
    if (count.Number(1) == 2) {
        schema = Schema::Ours;
    } else {
        schema = count.Number(0) == 0 ? Schema::Empty : Schema::Foreign;
    }
    return ERROR_SUCCESS;
}

// Looks again under the write lock, so that a table another program made in
// the meantime is never mixed with ours.
LONG CRegistryStore::CreateTables()
{
    LONG result = Run("BEGIN IMMEDIATE");
    if (result != ERROR_SUCCESS)
        return result;
    Schema schema = Schema::Foreign;
    result = ReadSchema(schema);
    if (result == ERROR_SUCCESS && schema == Schema::Foreign)
        result = ERROR_BADDB;
    if (result == ERROR_SUCCESS && schema == Schema::Empty)
        result = Execute(kCreateTables);
    if (result == ERROR_SUCCESS)
        result = Run("COMMIT");
    if (result != ERROR_SUCCESS)
        Run("ROLLBACK");
    return result;
}

LONG CRegistryStore::Run(const char* sql)
{
    CStatement statement(m_statements, sql);
    return ResultOf(statement.Step());
}

// Inserts the key when missing and learns the letter case it is kept in.
LONG CRegistryStore::AddKey(const std::string& path, std::string& storedPath, bool& created)
{
    CStatement insert(m_statements, "INSERT INTO reg_keys (path) VALUES (?1) ON CONFLICT DO NOTHING");
    insert.Bind(1, path);
    const LONG result = ResultOf(insert.Step());
    if (result != ERROR_SUCCESS)
        return result;
    created = sqlite3_changes(m_db) > 0;
    CStatement find(m_statements, kFindKey);
    find.Bind(1, path);
    if (find.Step() != SQLITE_ROW)
        return ERROR_REGISTRY_IO_FAILED;
    storedPath = find.Text(0);
    return ERROR_SUCCESS;
}

LONG CRegistryStore::Execute(const char* sql)
{
    return ResultOf(sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr));
}

LONG CRegistryStore::FindKey(const std::string& path, std::string& storedPath)
{
    if (path.empty()) {
        storedPath.clear();
        return ERROR_SUCCESS;
    }
    CStatement find(m_statements, kFindKey);
    find.Bind(1, path);
    if (const LONG result = RowResult(find.Step()))
        return result;
    storedPath = find.Text(0);
    return ERROR_SUCCESS;
}

// Every ancestor gets its own row, so the whole path is walked from the root
// and made in one transaction, or in one savepoint of a transaction begun.
LONG CRegistryStore::CreateKeyPath(const std::string& path, std::string& storedPath, bool& created)
{
    created = false;
    const LONG found = FindKey(path, storedPath);
    if (found != ERROR_FILE_NOT_FOUND)
        return found;
    storedPath.clear();
    const bool nested = InTransaction();
    LONG result = Run(nested ? "SAVEPOINT create_key" : "BEGIN IMMEDIATE");
    for (const std::string& component : SplitKeyPath(path)) {
        if (result != ERROR_SUCCESS)
            break;
        const std::string next = storedPath.empty() ? component : storedPath + '\\' + component;
        result = AddKey(next, storedPath, created);
    }
    if (nested) {
        if (result != ERROR_SUCCESS)
            Run("ROLLBACK TO create_key");
        Run("RELEASE create_key");
        return result;
    }
    if (result == ERROR_SUCCESS)
        result = Run("COMMIT");
    if (result != ERROR_SUCCESS)
        Run("ROLLBACK");
    return result;
}

LONG CRegistryStore::Begin()
{
    return Run("BEGIN IMMEDIATE");
}

LONG CRegistryStore::Commit()
{
    return Run("COMMIT");
}

void CRegistryStore::Rollback()
{
    if (InTransaction())
        Run("ROLLBACK");
}

bool CRegistryStore::InTransaction() const
{
    return m_db != nullptr && !sqlite3_get_autocommit(m_db);
}

LONG CRegistryStore::GetValue(const std::string& keyPath, const std::string& name, DWORD& type, std::vector<BYTE>& data)
{
    CStatement get(m_statements, "SELECT type, data FROM reg_values WHERE key = ?1 AND name = ?2");
    get.Bind(1, keyPath);
    get.Bind(2, name);
    if (const LONG result = RowResult(get.Step()))
        return result;
    type = static_cast<DWORD>(get.Number(0));
    data = get.Blob(1);
    return ERROR_SUCCESS;
}

// One statement, so the check that the key exists and the store are atomic;
// an existing value keeps the letter case of its name.
LONG CRegistryStore::SetValue(const std::string& keyPath, const std::string& name, DWORD type, const BYTE* data,
                              DWORD size)
{
    CStatement set(m_statements,
                   "INSERT INTO reg_values (key, name, type, data)"
                   " SELECT ?1, ?2, ?3, ?4"
                   " WHERE ?1 = '' OR EXISTS (SELECT 1 FROM reg_keys WHERE path = ?1)"
                   " ON CONFLICT (key, name) DO UPDATE SET type = excluded.type, data = excluded.data");
    set.Bind(1, keyPath);
    set.Bind(2, name);
    set.Bind(3, static_cast<long long>(type));
    set.BindBlob(4, data, size);
    const LONG result = ResultOf(set.Step());
    if (result != ERROR_SUCCESS)
        return result;
    return sqlite3_changes(m_db) > 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}
