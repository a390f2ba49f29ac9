#pragma once
// One root key's SQLite file, open while a key found through it is open, or
// for the span of one call on the root key itself. Outside a transaction begun
// with Begin, every change is its own transaction, written through before the
// call returns; between calls the connection then holds no lock, so other
// programs may read and write the file.
#include "platform/WinTypes.h"
#include "platform/registry/SqliteStatement.h"

#include <sys/types.h>

#include <string>
#include <vector>

struct sqlite3;

// Whether the account may read, or also write, the file: asked of the file
// itself, or of the nearest folder above it that exists when it does not.
bool MayAccessStore(const std::string& file, bool write);

class CRegistryStore {
public:
    CRegistryStore() = default;
    CRegistryStore(const CRegistryStore&) = delete;
    CRegistryStore& operator=(const CRegistryStore&) = delete;
    ~CRegistryStore();

    // Opens an existing file holding the layout's two tables. With mayCreate, a
    // missing file is created with its folders, and a database without any
    // table gets the two tables. A file that is anything else fails with
    // ERROR_BADDB and is left exactly as it is. While another program holds
    // the file, each statement waits for it up to busyTimeoutMs.
    LONG Open(const std::string& file, bool mayCreate, int busyTimeoutMs);
    // Whether the file name still leads to the file that was opened: false once
    // the file was removed or replaced by another program.
    bool StillNamesOpenedFile() const;

    // storedPath receives the path in the letter case it was created with.
    LONG FindKey(const std::string& path, std::string& storedPath);
    // Makes every missing key on path; created tells whether the last was new.
    // An existing path is only read, so it never waits for the write lock.
    LONG CreateKeyPath(const std::string& path, std::string& storedPath, bool& created);

    LONG GetValue(const std::string& keyPath, const std::string& name, DWORD& type, std::vector<BYTE>& data);
    // Fails with ERROR_FILE_NOT_FOUND when the key no longer exists.
    LONG SetValue(const std::string& keyPath, const std::string& name, DWORD type, const BYTE* data, DWORD size);

    // Takes the write lock now and holds it, with every change after, until
    // Commit or Rollback; nothing of it reaches the file before Commit.
    LONG Begin();
    // Fails, and keeps the transaction, when readers hold the file past the wait.
    LONG Commit();
    void Rollback();
    bool InTransaction() const;

private:
    enum class Schema { Ours, Empty, Foreign };
    void RememberFile(const std::string& file);
    LONG ReadSchema(Schema& schema);
    LONG CreateTables();
    LONG AddKey(const std::string& path, std::string& storedPath, bool& created);
    // One statement, prepared once per connection.
    LONG Run(const char* sql);
    // Any number of statements, prepared at each call.
    LONG Execute(const char* sql);

    sqlite3* m_db = nullptr;
    CStatementCache m_statements{m_db};
    std::string m_file;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};
