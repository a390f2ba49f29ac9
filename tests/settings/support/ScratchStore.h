#pragma once
// Test helpers around the registry's store file: a fresh folder in place of
// /var/lib/vantrel, direct access to the file as an administrator has it, and
// a way to run code without root's rights. Header only, so that the registry's
// own tests can use it too.
#include "platform/registry/Registry.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

using Bytes = std::vector<BYTE>;

inline Bytes BytesOf(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

// A value as the store's reg_values table holds it.
struct StoredValue {
    std::string key;
    std::string name;
    DWORD type;
    Bytes data;
    bool operator==(const StoredValue&) const = default;
};

inline void PrintTo(const StoredValue& value, std::ostream* out)
{
    *out << value.key << "|" << value.name << "|" << value.type << "|" << value.data.size() << " bytes";
}

// Before any test runs, the store is pointed where nothing can be made, so a
// test that forgets its scratch store can never reach /var/lib/vantrel.
class CStoreOutOfReach : public ::testing::Environment {
public:
    void SetUp() override { RegSetStoreFile(HKEY_LOCAL_MACHINE, "/dev/null/no-store/hklm.db"); }
};
inline ::testing::Environment* const g_storeOutOfReach = ::testing::AddGlobalTestEnvironment(new CStoreOutOfReach);

// Puts HKEY_LOCAL_MACHINE in <fresh folder>/hklm.db for the test's span. The
// folder may be entered by every account, so that an unprivileged child can
// reach it.
class CScratchStore {
public:
    CScratchStore()
    {
        char pattern[] = "/tmp/vantrel-registry-XXXXXX";
        m_folder = mkdtemp(pattern);
        std::filesystem::permissions(m_folder, std::filesystem::perms(0755));
        m_file = m_folder + "/hklm.db";
        RegSetStoreFile(HKEY_LOCAL_MACHINE, m_file);
    }
    CScratchStore(const CScratchStore&) = delete;
    CScratchStore& operator=(const CScratchStore&) = delete;
    ~CScratchStore()
    {
        CStoreOutOfReach().SetUp();
        std::error_code error;
        std::filesystem::permissions(m_folder, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     error);
        std::filesystem::remove_all(m_folder, error);
    }

    const std::string& Folder() const { return m_folder; }
    const std::string& File() const { return m_file; }

    std::string Contents() const
    {
        std::ifstream in(m_file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void Replace(const std::string& contents) const
    {
        std::ofstream(m_file, std::ios::binary | std::ios::trunc) << contents;
    }

    // Runs statements on the file through the SQLite library; false on error.
    bool Execute(const std::string& sql) const
    {
        sqlite3* db = nullptr;
        bool ok = sqlite3_open(m_file.c_str(), &db) == SQLITE_OK
            && sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(db);
        return ok;
    }

    std::vector<std::string> Keys() const
    {
        std::vector<std::string> keys;
        ForEachRow("SELECT path FROM reg_keys ORDER BY path", [&](sqlite3_stmt* row) {
            keys.push_back(reinterpret_cast<const char*>(sqlite3_column_text(row, 0)));
        });
        return keys;
    }

    std::vector<StoredValue> Values() const
    {
        std::vector<StoredValue> values;
        ForEachRow("SELECT key, name, type, data FROM reg_values ORDER BY key, name", [&](sqlite3_stmt* row) {
            const BYTE* data = static_cast<const BYTE*>(sqlite3_column_blob(row, 3));
            values.push_back({reinterpret_cast<const char*>(sqlite3_column_text(row, 0)),
                              reinterpret_cast<const char*>(sqlite3_column_text(row, 1)),
                              static_cast<DWORD>(sqlite3_column_int64(row, 2)),
                              Bytes(data, data + sqlite3_column_bytes(row, 3))});
        });
        return values;
    }

private:
    void ForEachRow(const char* sql, const std::function<void(sqlite3_stmt*)>& onRow) const
    {
        sqlite3* db = nullptr;
        sqlite3_stmt* statement = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open_v2(m_file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr));
        ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(db, sql, -1, &statement, nullptr)) << sqlite3_errmsg(db);
        while (sqlite3_step(statement) == SQLITE_ROW)
            onRow(statement);
        sqlite3_finalize(statement);
        sqlite3_close(db);
    }

    std::string m_folder;
    std::string m_file;
};

// Runs body in a child process and returns its exit code. As root the child
// first becomes the account nobody, because access(2) and file modes grant
// root everything; otherwise the caller's own rights already apply.
inline int RunWithoutRoot(const std::function<int()>& body)
{
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(100);
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
}

// The output of the sqlite3 command-line tool running script on file, as an
// administrator would.
inline std::string RunSqliteTool(const std::string& file, const std::string& script)
{
    char scriptFile[] = "/tmp/vantrel-sql-XXXXXX";
    close(mkstemp(scriptFile));
    std::ofstream(scriptFile) << script;
    const std::string command = std::string("sqlite3 -batch -init /dev/null '") + file + "' < " + scriptFile + " 2>&1";
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            output += buffer;
        pclose(pipe);
    }
    unlink(scriptFile);
    return output;
}

// The sqlite3 command-line tool left open on file in the middle of a
// transaction, as an administrator's session: the statements given have run
// when the constructor returns; End (or the object's end) commits and quits,
// or LetGoAfter has the tool do so by itself a while later.
class CSqliteSession {
public:
    CSqliteSession(const std::string& file, const std::string& statements)
    {
        const std::string command = std::string("sqlite3 -batch -init /dev/null '") + file + "' >/dev/null 2>&1";
        m_tool = popen(command.c_str(), "w");
        if (m_tool == nullptr)
            return;
        std::fprintf(m_tool, ".bail on\n%s\n.once %s\nSELECT 1;\n", statements.c_str(), m_marker.c_str());
        std::fflush(m_tool);
        for (int waited = 0; !std::filesystem::exists(m_marker) && waited < 10000; waited += 5) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        m_holding = std::filesystem::exists(m_marker);
        unlink(m_marker.c_str());
    }
    CSqliteSession(const CSqliteSession&) = delete;
    CSqliteSession& operator=(const CSqliteSession&) = delete;
    ~CSqliteSession() { End(); }

    // Whether the statements ran, so that the transaction is open.
    bool Holding() const { return m_holding; }
    void End()
    {
        if (m_tool == nullptr)
            return;
        // A tool that stopped at an error has gone; writing to it would raise SIGPIPE.
        if (m_holding && !m_lettingGo)
            std::fputs("COMMIT;\n.quit\n", m_tool);
        pclose(m_tool);
        m_tool = nullptr;
        unlink(m_marker.c_str());
    }
    // The tool commits and quits by itself after milliseconds, while the
    // test goes on, as an administrator who finishes a change meanwhile.
    void LetGoAfter(int milliseconds)
    {
        if (!m_holding)
            return;
        m_lettingGo = true;
        std::fprintf(m_tool, ".shell sleep %.3f\nCOMMIT;\n.once %s\nSELECT 1;\n.quit\n", milliseconds / 1000.0,
                     m_marker.c_str());
        std::fflush(m_tool);
    }
    // Whether the tool has committed since LetGoAfter.
    bool HasLetGo() const { return std::filesystem::exists(m_marker); }

private:
    static std::string MarkerName()
    {
        char marker[] = "/tmp/vantrel-session-XXXXXX";
        close(mkstemp(marker));
        unlink(marker);
        return marker;
    }

    FILE* m_tool = nullptr;
    bool m_holding = false;
    bool m_lettingGo = false;
    const std::string m_marker = MarkerName();
};

// Makes every registry call wait only briefly for another program holding the
// store, for the object's span, so that tests of a held store stay fast.
class CShortStoreWait {
public:
    explicit CShortStoreWait(int milliseconds)
        : m_before(RegSetStoreBusyTimeout(HKEY_LOCAL_MACHINE, milliseconds))
    {
    }
    CShortStoreWait(const CShortStoreWait&) = delete;
    CShortStoreWait& operator=(const CShortStoreWait&) = delete;
    ~CShortStoreWait() { RegSetStoreBusyTimeout(HKEY_LOCAL_MACHINE, m_before); }

private:
    int m_before;
};
