#include "platform/registry/Registry.h"

#include "tests/settings/support/ScratchStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

using Keys = std::vector<std::string>;

HKEY Create(HKEY parent, const char* path, DWORD* disposition = nullptr)
{
    HKEY key = nullptr;
    EXPECT_EQ(
        ERROR_SUCCESS,
        RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, disposition));
    return key;
}

LONG Open(HKEY parent, const char* path, HKEY* key, DWORD access = KEY_ALL_ACCESS)
{
    return RegOpenKeyExA(parent, path, 0, access, key);
}

LONG Set(HKEY key, const char* name, DWORD type, const Bytes& data)
{
    return RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
}

Keys Names(const std::string& folder)
{
    Keys names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Registry, CreateMakesEveryKeyOnThePathAndOpenNeverCreates)
{
    CScratchStore store;
    const std::string nested = store.Folder() + "/var/lib/vantrel/hklm.db";
    RegSetStoreFile(HKEY_LOCAL_MACHINE, nested);

    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Open(HKEY_LOCAL_MACHINE, "SOFTWARE", &key));
    EXPECT_EQ(nullptr, key);
    EXPECT_FALSE(std::filesystem::exists(nested)) << "an open must not make the file";

    DWORD disposition = 0;
    key = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvane\\TFTP\\", &disposition);
    EXPECT_EQ(REG_CREATED_NEW_KEY, disposition);
    HKEY settings = Create(key, "Settings", &disposition);
    EXPECT_EQ(REG_CREATED_NEW_KEY, disposition);
    RegCloseKey(settings);
    RegCloseKey(Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvane", &disposition));
    EXPECT_EQ(REG_OPENED_EXISTING_KEY, disposition);
    RegCloseKey(key);

    RegSetStoreFile(HKEY_LOCAL_MACHINE, nested);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Other", &key));
    ASSERT_EQ(ERROR_SUCCESS, Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvane\\TFTP\\Settings", &key));
    RegCloseKey(key);

    std::filesystem::rename(nested, store.File());
    RegSetStoreFile(HKEY_LOCAL_MACHINE, store.File());
    EXPECT_EQ((Keys{"SOFTWARE", "SOFTWARE\\Corvane", "SOFTWARE\\Corvane\\TFTP", "SOFTWARE\\Corvane\\TFTP\\Settings"}),
              store.Keys());
}

TEST(Registry, EmptyPathComponentsAreIgnored)
{
    CScratchStore store;
    for (const char* path : {"A\\B\\", "\\A\\\\B", "A\\B\\\\\\", "a\\b"}) {
        HKEY key = Create(HKEY_LOCAL_MACHINE, path);
        EXPECT_EQ(ERROR_SUCCESS, Set(key, path, REG_SZ, BytesOf("x"))) << path;
        RegCloseKey(key);
    }
    EXPECT_EQ((Keys{"A", "A\\B"}), store.Keys());
    for (const StoredValue& value : store.Values())
        EXPECT_EQ("A\\B", value.key);

    HKEY same = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, Open(HKEY_LOCAL_MACHINE, "A\\B\\", &same));
    HKEY itself = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, Open(same, nullptr, &itself));
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(itself, "a\\b", nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(itself);
    RegCloseKey(same);
}

TEST(Registry, NamesIgnoreAsciiCaseAndKeepTheCaseTheyWereCreatedWith)
{
    CScratchStore store;
    RegCloseKey(Create(HKEY_LOCAL_MACHINE, "Software\\Corvane"));
    HKEY key = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\corvane\\TFTP");
    EXPECT_EQ(ERROR_SUCCESS, Set(key, "WriteDir", REG_SZ, BytesOf("old")));
    EXPECT_EQ(ERROR_SUCCESS, Set(key, "WRITEDIR", REG_DWORD, BytesOf("new!")));
    RegCloseKey(key);

    EXPECT_EQ((Keys{"Software", "Software\\Corvane", "Software\\Corvane\\TFTP"}), store.Keys());
    EXPECT_EQ((std::vector<StoredValue>{{"Software\\Corvane\\TFTP", "WriteDir", REG_DWORD, BytesOf("new!")}}),
              store.Values());

    ASSERT_EQ(ERROR_SUCCESS, Open(HKEY_LOCAL_MACHINE, "software\\CORVANE\\tftp", &key));
    DWORD size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "writedir", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(4u, size);
    RegCloseKey(key);
}

TEST(Registry, QueryReportsTheSizeAndRefusesAShortBuffer)
{
    CScratchStore store;
    HKEY key = Create(HKEY_LOCAL_MACHINE, "K");
    ASSERT_EQ(ERROR_SUCCESS, Set(key, "Text", REG_SZ, BytesOf(std::string("abc\0", 4))));
    ASSERT_EQ(ERROR_SUCCESS, Set(key, "Empty", REG_SZ, {}));

    struct Case {
        const char* name;
        bool withBuffer;
        DWORD capacity;
        LONG result;
        DWORD reportedSize;
        Bytes delivered;
    };
    const Case cases[] = {
        {"Text", false, 0, ERROR_SUCCESS, 4, {}},
        {"Text", true, 4, ERROR_SUCCESS, 4, BytesOf(std::string("abc\0", 4))},
        {"Text", true, 10, ERROR_SUCCESS, 4, BytesOf(std::string("abc\0", 4))},
        {"Text", true, 3, ERROR_MORE_DATA, 4, {}},
        {"Empty", false, 0, ERROR_SUCCESS, 0, {}},
        {"Empty", true, 0, ERROR_SUCCESS, 0, {}},
        {"Absent", false, 0, ERROR_FILE_NOT_FOUND, 99, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " capacity " + std::to_string(c.capacity));
        Bytes buffer(c.capacity + 1, 0xEE);
        DWORD size = c.withBuffer ? c.capacity : 99;
        DWORD type = 0;
        EXPECT_EQ(c.result,
                  RegQueryValueExA(key, c.name, nullptr, &type, c.withBuffer ? buffer.data() : nullptr, &size));
        EXPECT_EQ(c.reportedSize, size);
        if (c.result == ERROR_SUCCESS) {
            EXPECT_EQ(REG_SZ, type);
        }
        if (!c.delivered.empty()) {
            EXPECT_EQ(c.delivered, Bytes(buffer.begin(), buffer.begin() + size));
            EXPECT_EQ(0xEE, buffer[size]) << "nothing written past the data";
        }
    }
    RegCloseKey(key);
    EXPECT_EQ("K|Empty|1|blob|0\nK|Text|1|blob|4\n",
              RunSqliteTool(store.File(),
                            "SELECT key, name, type, typeof(data), length(data) "
                            "FROM reg_values ORDER BY name"));
}

TEST(Registry, BadHandlesAndArgumentsAreRefused)
{
    CScratchStore store;
    HKEY key = nullptr;
    BYTE byte = 0;
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(nullptr));
    EXPECT_EQ(ERROR_INVALID_HANDLE, Open(nullptr, "K", &key));
    EXPECT_EQ(ERROR_INVALID_HANDLE,
              RegCreateKeyExA(nullptr, "K", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueExA(nullptr, "V", nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegSetValueExA(nullptr, "V", 0, REG_SZ, &byte, 1));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_LOCAL_MACHINE));

    key = Create(HKEY_LOCAL_MACHINE, "K");
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegSetValueExA(key, "V", 0, REG_SZ, nullptr, 1));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegQueryValueExA(key, "V", nullptr, nullptr, &byte, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
}

TEST(Registry, AKeyRemovedBehindAnOpenHandleTakesNoValues)
{
    CScratchStore store;
    HKEY key = Create(HKEY_LOCAL_MACHINE, "A\\B");
    ASSERT_TRUE(store.Execute("DELETE FROM reg_keys WHERE path = 'A\\B'"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Set(key, "V", REG_SZ, BytesOf("x")));
    EXPECT_TRUE(store.Values().empty());

    std::filesystem::remove(store.File());
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Set(key, "V", REG_SZ, BytesOf("x")));
    EXPECT_FALSE(std::filesystem::exists(store.File())) << "a set must not make a new file";
    RegCloseKey(key);
}

// An open key reads through one connection, yet holds no lock between calls
// and follows the file name when the file is replaced.
TEST(Registry, AnOpenKeySeesOtherProgramsAndFollowsAReplacedFile)
{
    CScratchStore store;
    HKEY key = Create(HKEY_LOCAL_MACHINE, "A\\B");
    HKEY below = Create(key, "C");
    ASSERT_TRUE(store.Execute("INSERT INTO reg_values VALUES ('A\\B', 'V', 1, X'61')"));
    DWORD size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "V", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(1u, size);

    std::filesystem::rename(store.File(), store.File() + ".old");
    RegCloseKey(Create(HKEY_LOCAL_MACHINE, "A\\B\\C"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, "V", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_SUCCESS, Set(below, "W", REG_SZ, BytesOf("new")));
    ASSERT_EQ(1u, store.Values().size()) << "the set went to the file now at the name";
    EXPECT_EQ("W", store.Values()[0].name);
    RegCloseKey(below);
    RegCloseKey(key);
}

TEST(Registry, AFileThatIsNotOurDatabaseIsNeverChanged)
{
    struct Case {
        const char* what;
        std::function<void(const CScratchStore&)> make;
    };
    const Case cases[] = {
        {"text", [](const CScratchStore& s) { s.Replace("WriteDir=C:\\tftp\n"); }},
        {"a database header with garbage",
         [](const CScratchStore& s) { s.Replace(std::string("SQLite format 3\0", 16) + std::string(4080, 'x')); }},
        {"another program's database",
         [](const CScratchStore& s) { s.Execute("CREATE TABLE settings (name TEXT, value TEXT)"); }},
        {"only one of the two tables",
         [](const CScratchStore& s) { s.Execute("CREATE TABLE reg_keys (path TEXT PRIMARY KEY)"); }},
        {"a link to a file yet to be made",
         [](const CScratchStore& s) { std::filesystem::create_symlink(s.Folder() + "/elsewhere.db", s.File()); }},
        {"a link to a store of ours",
         [](const CScratchStore& s) {
             RegCloseKey(Create(HKEY_LOCAL_MACHINE, "K"));
             std::filesystem::rename(s.File(), s.Folder() + "/ours.db");
             std::filesystem::create_symlink("ours.db", s.File());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CScratchStore store;
        c.make(store);
        const std::string before = store.Contents();
        const Keys namesBefore = Names(store.Folder());
        HKEY key = nullptr;
        EXPECT_NE(ERROR_SUCCESS,
                  RegCreateKeyExA(HKEY_LOCAL_MACHINE, "K", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
        EXPECT_NE(ERROR_SUCCESS, Open(HKEY_LOCAL_MACHINE, "K", &key));
        EXPECT_NE(ERROR_SUCCESS, RegSetValueExA(HKEY_LOCAL_MACHINE, "V", 0, REG_SZ, nullptr, 0));
        EXPECT_EQ(nullptr, key);
        EXPECT_EQ(before, store.Contents());
        EXPECT_EQ(namesBefore, Names(store.Folder())) << "no journal or other file left behind";
    }
}

// The folder may be a link, as the administrator chose it; the file may not.
TEST(Registry, TheStoresFolderMayBeALink)
{
    CScratchStore store;
    const std::string linked = store.Folder() + "/linked";
    std::filesystem::create_directory_symlink(store.Folder(), linked);
    RegSetStoreFile(HKEY_LOCAL_MACHINE, linked + "/hklm.db");
    RegCloseKey(Create(HKEY_LOCAL_MACHINE, "K"));
    EXPECT_EQ(Keys{"K"}, store.Keys());
}

TEST(Registry, AnEmptyFileBecomesAStore)
{
    CScratchStore store;
    store.Replace("");
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Open(HKEY_LOCAL_MACHINE, "K", &key));
    EXPECT_EQ("", store.Contents()) << "an open does not write";
    RegCloseKey(Create(HKEY_LOCAL_MACHINE, "K"));
    EXPECT_EQ(Keys{"K"}, store.Keys());
}

// 0 when both an open and a create of "K" with full access are refused; the
// number of the first that was not, otherwise.
static int FullAccessIsDenied(HKEY* key)
{
    if (Open(HKEY_LOCAL_MACHINE, "K", key) != ERROR_ACCESS_DENIED)
        return 1;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "K", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key, nullptr)
        != ERROR_ACCESS_DENIED)
        return 2;
    return 0;
}

TEST(Registry, FullAccessNeedsWriteRightsToTheFileOrItsFolder)
{
    CScratchStore store;
    const std::string locked = store.Folder() + "/locked";
    std::filesystem::create_directory(locked);
    std::filesystem::permissions(locked, std::filesystem::perms(0555));
    RegSetStoreFile(HKEY_LOCAL_MACHINE, locked + "/hklm.db");
    EXPECT_EQ(0, RunWithoutRoot([] {
                  HKEY key = nullptr;
                  if (const int denied = FullAccessIsDenied(&key))
                      return denied;
                  return key == nullptr ? 0 : 3;
              }));
    EXPECT_FALSE(std::filesystem::exists(locked + "/hklm.db"));

    RegSetStoreFile(HKEY_LOCAL_MACHINE, store.File());
    HKEY key = Create(HKEY_LOCAL_MACHINE, "K");
    ASSERT_EQ(ERROR_SUCCESS, Set(key, "V", REG_SZ, BytesOf("kept")));
    RegCloseKey(key);
    std::filesystem::permissions(store.File(), std::filesystem::perms(0444));
    EXPECT_EQ(0, RunWithoutRoot([] {
                  HKEY key = nullptr;
                  if (const int denied = FullAccessIsDenied(&key))
                      return denied;
                  if (Open(HKEY_LOCAL_MACHINE, "K", &key, KEY_READ) != ERROR_SUCCESS)
                      return 3;
                  DWORD size = 0;
                  const LONG query = RegQueryValueExA(key, "V", nullptr, nullptr, nullptr, &size);
                  const LONG set = Set(key, "V", REG_SZ, BytesOf("lost"));
                  HKEY sub = nullptr;
                  const LONG create
                      = RegCreateKeyExA(key, "Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr);
                  RegCloseKey(key);
                  if (query != ERROR_SUCCESS || size != 4)
                      return 4;
                  if (create != ERROR_ACCESS_DENIED)
                      return 5;
                  return set == ERROR_ACCESS_DENIED ? 0 : 6;
              }));
}

TEST(Registry, ASetWaitsForAnotherProgramHoldingTheFile)
{
    CScratchStore store;
    HKEY key = Create(HKEY_LOCAL_MACHINE, "K");
    sqlite3* other = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(store.File().c_str(), &other));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr));
    std::thread release([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    EXPECT_EQ(ERROR_SUCCESS, Set(key, "V", REG_SZ, BytesOf("after the other")));
    release.join();
    sqlite3_close(other);
    RegCloseKey(key);
    EXPECT_EQ((std::vector<StoredValue>{{"K", "V", REG_SZ, BytesOf("after the other")}}), store.Values());
}

// The keys of a transaction, and the keys below them, write into it: nothing
// shows before the commit, a close without one leaves nothing, and a commit
// that cannot get the file in time fails and keeps the transaction open.
TEST(Registry, ATransactionLandsWholeAtItsCommitOrNotAtAll)
{
    CScratchStore store;
    const CShortStoreWait shortWait(100);
    RegCloseKey(Create(HKEY_LOCAL_MACHINE, "Base"));
    for (const bool commit : {false, true}) {
        SCOPED_TRACE(commit ? "committed" : "closed without a commit");
        HANDLE transaction = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyTransactedA(HKEY_LOCAL_MACHINE, "Base", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                          nullptr, transaction, nullptr));
        HKEY below = Create(key, "New");
        EXPECT_EQ(ERROR_SUCCESS, Set(below, "V", REG_SZ, BytesOf("x")));
        RegCloseKey(below);
        RegCloseKey(key);
        EXPECT_EQ(Keys{"Base"}, store.Keys());
        EXPECT_TRUE(store.Values().empty());
        if (commit) {
            CSqliteSession reader(store.File(), "BEGIN; SELECT count(*) FROM reg_keys;");
            ASSERT_TRUE(reader.Holding());
            EXPECT_FALSE(CommitTransaction(transaction));
            EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
            reader.End();
            EXPECT_TRUE(CommitTransaction(transaction));
        }
        EXPECT_TRUE(CloseHandle(transaction));
        EXPECT_EQ(commit ? (Keys{"Base", "Base\\New"}) : Keys{"Base"}, store.Keys());
        EXPECT_EQ(commit ? 1u : 0u, store.Values().size());
    }
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_INVALID_HANDLE,
              RegCreateKeyTransactedA(HKEY_LOCAL_MACHINE, "Base", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr,
                                      nullptr, nullptr));
    EXPECT_FALSE(CommitTransaction(nullptr));
    EXPECT_FALSE(CloseHandle(nullptr));
}

} // namespace
