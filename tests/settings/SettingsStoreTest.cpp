#include "settings/SettingsStore.h"
#include "tests/settings/support/SettingsValues.h"

#include "platform/MessageBox.h"
#include "tests/settings/support/ScratchStore.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

const char* const kSettings = "SOFTWARE\\Corvane\\TFTP\\Settings";

SettingsValues Load(bool* loaded = nullptr)
{
    SettingsValues fields;
    const bool read = ReadSettingsFromRegistry(fields.Refs());
    if (loaded != nullptr)
        *loaded = read;
    return fields;
}

LONG Save(SettingsValues fields)
{
    return WriteSettingsToRegistry(fields.Refs());
}

Bytes Dword(DWORD number)
{
    return {static_cast<BYTE>(number), static_cast<BYTE>(number >> 8), static_cast<BYTE>(number >> 16),
            static_cast<BYTE>(number >> 24)};
}

StoredValue Setting(const char* name, DWORD type, const Bytes& data)
{
    return {kSettings, name, type, data};
}

std::string Hex(const Bytes& data)
{
    std::string hex;
    char digits[3];
    for (BYTE byte : data) {
        std::snprintf(digits, sizeof digits, "%02X", byte);
        hex += digits;
    }
    return hex;
}

// Writes values straight into the file, as an administrator provisions them:
// the two tables, a row for every key on each value's path, the values.
void Provision(const CScratchStore& store, const std::vector<StoredValue>& values)
{
    std::string sql = "BEGIN;"
                      "CREATE TABLE IF NOT EXISTS reg_keys (path TEXT PRIMARY KEY COLLATE NOCASE);"
                      "CREATE TABLE IF NOT EXISTS reg_values (key TEXT NOT NULL COLLATE NOCASE,"
                      " name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT NULL, data BLOB NOT NULL,"
                      " PRIMARY KEY (key, name));";
    for (const StoredValue& value : values) {
        for (std::size_t end = value.key.find('\\');; end = value.key.find('\\', end + 1)) {
            sql += "INSERT OR IGNORE INTO reg_keys VALUES ('" + value.key.substr(0, end) + "');";
            if (end == std::string::npos)
                break;
        }
        sql += "INSERT OR REPLACE INTO reg_values VALUES ('" + value.key + "', '" + value.name + "', "
            + std::to_string(value.type) + ", X'" + Hex(value.data) + "');";
    }
    ASSERT_TRUE(store.Execute(sql + "COMMIT;"));
}

std::vector<std::string> Dirs(int count)
{
    std::vector<std::string> dirs;
    for (int i = 0; i < count; ++i)
        dirs.push_back("C:\\dir" + std::to_string(i));
    return dirs;
}

TEST(SettingsStore, FirstRunLoadsDefaultsAndSavesThemWithTheirByteCounts)
{
    CScratchStore store;
    bool loaded = false;
    EXPECT_EQ(SettingsValues{}, Load(&loaded));
    EXPECT_TRUE(loaded) << "an empty store is no failure";
    EXPECT_EQ((std::vector<std::string>{"SOFTWARE", "SOFTWARE\\Corvane", "SOFTWARE\\Corvane\\TFTP"}), store.Keys())
        << "the load makes the base key, not its sub-key";
    EXPECT_TRUE(store.Values().empty());

    Save(Load());
    EXPECT_EQ("SOFTWARE\\Corvane\\TFTP\\Settings|EnableWrite|4|4|00000000\n"
              "SOFTWARE\\Corvane\\TFTP\\Settings|ReadirCount|4|4|00000000\n"
              "SOFTWARE\\Corvane\\TFTP\\Settings|RunMinimized|4|4|00000000\n"
              "SOFTWARE\\Corvane\\TFTP\\Settings|WriteDir|1|0|\n",
              RunSqliteTool(store.File(),
                            "SELECT key, name, type, length(data), hex(data)"
                            " FROM reg_values ORDER BY name;"));
}

TEST(SettingsStore, SavedFieldsLoadBackAndAShorterListLeavesTheOldEntries)
{
    CScratchStore store;
    const SettingsValues five{"D:\\incoming", 1, 1, Dirs(5)};
    Save(five);
    EXPECT_EQ(five, Load());

    const SettingsValues two{"D:\\incoming", 0, 1, {"E:\\first", "E:\\second"}};
    Save(two);
    EXPECT_EQ(two, Load());
    const std::vector<StoredValue> expected{
        Setting("EnableWrite", REG_DWORD, Dword(0)),           Setting("ReadirCount", REG_DWORD, Dword(2)),
        Setting("ReadirRoot-0", REG_SZ, BytesOf("E:\\first")), Setting("ReadirRoot-1", REG_SZ, BytesOf("E:\\second")),
        Setting("ReadirRoot-2", REG_SZ, BytesOf("C:\\dir2")),  Setting("ReadirRoot-3", REG_SZ, BytesOf("C:\\dir3")),
        Setting("ReadirRoot-4", REG_SZ, BytesOf("C:\\dir4")),  Setting("RunMinimized", REG_DWORD, Dword(1)),
        Setting("WriteDir", REG_SZ, BytesOf("D:\\incoming")),
    };
    EXPECT_EQ(expected, store.Values());
}

TEST(SettingsStore, StoredValuesLoadAsTheirBytesSay)
{
    struct Case {
        const char* what;
        std::vector<StoredValue> stored;
        SettingsValues expected;
    };
    const Case cases[] = {
        {"no Settings key", {{"SOFTWARE\\Corvane\\TFTP\\Other", "WriteDir", REG_SZ, BytesOf("x")}}, {}},
        {"an entry absent within the count",
         {Setting("ReadirCount", REG_DWORD, Dword(3)), Setting("ReadirRoot-0", REG_SZ, BytesOf("a")),
          Setting("ReadirRoot-2", REG_SZ, BytesOf("c"))},
         {"", 0, 0, {"a", "", "c"}}},
        {"a negative count",
         {Setting("ReadirCount", REG_DWORD, Dword(0x80000000)), Setting("ReadirRoot-0", REG_SZ, BytesOf("a"))},
         {}},
        {"a count of all ones", {Setting("ReadirCount", REG_DWORD, Dword(0xFFFFFFFF))}, {}},
        {"a switch stored as 5", {Setting("EnableWrite", REG_DWORD, Dword(5))}, {"", 5, 0, {}}},
        {"the write directory stored as a number",
         {Setting("WriteDir", REG_DWORD, {'a', 'b', 0, 'c'})},
         {"ab", 0, 0, {}}},
        {"text with a terminating NUL",
         {Setting("WriteDir", REG_SZ, BytesOf(std::string("C:\\tftp\0", 8)))},
         {"C:\\tftp", 0, 0, {}}},
        {"text without a terminating NUL", {Setting("WriteDir", REG_SZ, BytesOf("C:\\tftp"))}, {"C:\\tftp", 0, 0, {}}},
        {"text with an embedded NUL",
         {Setting("WriteDir", REG_SZ, BytesOf(std::string("C:\\a\0C:\\b", 9)))},
         {"C:\\a", 0, 0, {}}},
        {"numbers of more than 4 bytes",
         {Setting("EnableWrite", REG_DWORD, {1, 0, 0, 0, 0}),
          Setting("ReadirCount", REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0})},
         {}},
        {"numbers of fewer than 4 bytes",
         {Setting("EnableWrite", REG_DWORD, {0x34, 0x12}), Setting("RunMinimized", REG_DWORD, {7}),
          Setting("ReadirCount", REG_DWORD, {})},
         {"", 0x1234, 7, {}}},
        {"names in another letter case",
         {{"software\\corvane\\tftp\\SETTINGS", "writedir", REG_SZ, BytesOf("x")},
          {"software\\corvane\\tftp\\SETTINGS", "ENABLEWRITE", REG_DWORD, Dword(1)},
          {"software\\corvane\\tftp\\SETTINGS", "readircount", REG_DWORD, Dword(1)},
          {"software\\corvane\\tftp\\SETTINGS", "READIRROOT-0", REG_SZ, BytesOf("d")}},
         {"x", 1, 0, {"d"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CScratchStore store;
        Provision(store, c.stored);
        bool loaded = false;
        EXPECT_EQ(c.expected, Load(&loaded));
        EXPECT_TRUE(loaded) << "absent and odd values are no failure";
    }
}

TEST(SettingsStore, AnEntryAbsentWithinTheCountIsSavedBackAsAnEmptyText)
{
    CScratchStore store;
    Provision(store, {Setting("ReadirCount", REG_DWORD, Dword(2)), Setting("ReadirRoot-0", REG_SZ, BytesOf("a"))});
    Save(Load());
    EXPECT_EQ("1|0\n",
              RunSqliteTool(store.File(),
                            "SELECT type, length(data) FROM reg_values"
                            " WHERE name = 'ReadirRoot-1';"));
}

TEST(SettingsStore, ACountBeyond1024LoadsTheFirst1024)
{
    for (DWORD count : {1025u, 0x7FFFFFFFu}) {
        SCOPED_TRACE(count);
        CScratchStore store;
        std::vector<StoredValue> stored{Setting("ReadirCount", REG_DWORD, Dword(count))};
        const std::vector<std::string> dirs = Dirs(1025);
        for (std::size_t i = 0; i < dirs.size(); ++i) {
            stored.push_back(Setting(("ReadirRoot-" + std::to_string(i)).c_str(), REG_SZ, BytesOf(dirs[i])));
        }
        Provision(store, stored);
        EXPECT_EQ(std::vector<std::string>(dirs.begin(), dirs.begin() + 1024), Load().searchDirs);
    }
}

TEST(SettingsStore, WithoutWriteRightsTheLoadGivesDefaultsAndTheSaveStoresNothing)
{
    struct Case {
        const char* what;
        std::function<std::string(const CScratchStore&)> lock;
    };
    const Case cases[] = {
        {"a folder without write access, no file yet",
         [](const CScratchStore& store) {
             const std::string folder = store.Folder() + "/locked";
             std::filesystem::create_directory(folder);
             std::filesystem::permissions(folder, std::filesystem::perms(0555));
             return folder + "/hklm.db";
         }},
        {"a file without write access",
         [](const CScratchStore& store) {
             Provision(store,
                       {Setting("WriteDir", REG_SZ, BytesOf("D:\\kept")), Setting("EnableWrite", REG_DWORD, Dword(1))});
             std::filesystem::permissions(store.File(), std::filesystem::perms(0444));
             return store.File();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CScratchStore store;
        const std::string file = c.lock(store);
        RegSetStoreFile(HKEY_LOCAL_MACHINE, file);
        const std::string before = std::filesystem::exists(file) ? store.Contents() : "";
        EXPECT_EQ(0, RunWithoutRoot([] {
                      bool boxShown = false;
                      AfxSetMessageBoxSeam([&](const std::string&, const std::string&) {
                          boxShown = true;
                          return IDOK;
                      });
                      bool loaded = true;
                      if (!(Load(&loaded) == SettingsValues{}) || loaded)
                          return 1;
                      Save({"D:\\lost", 1, 1, {"E:\\lost"}});
                      return boxShown ? 2 : 0;
                  }));
        EXPECT_EQ(before, std::filesystem::exists(file) ? store.Contents() : "");
        EXPECT_EQ(file == store.File(), std::filesystem::exists(file));
    }
}

// The provisioning script of the store's README, so that what administrators
// are told to run is what the program reads.
std::string DocumentedProvisioning()
{
    std::ifstream readme(VANTREL_SOURCE_DIR "/settings/README.md");
    std::string line;
    while (std::getline(readme, line) && line != "sqlite3 /var/lib/vantrel/hklm.db <<'EOF'") { }
    std::string script;
    while (std::getline(readme, line) && line != "EOF")
        script += line + "\n";
    return script;
}

TEST(SettingsStore, TheDocumentedSqliteProvisioningIsWhatLoads)
{
    CScratchStore store;
    const std::string script = DocumentedProvisioning();
    ASSERT_NE("", script);
    EXPECT_EQ("", RunSqliteTool(store.File(), script));
    EXPECT_EQ((SettingsValues{"/srv/tftp/in", 1, 0, {"/srv/tftp/boot", "/srv/tftp/config"}}), Load());
    EXPECT_EQ("", RunSqliteTool(store.File(), script)) << "the script may be run again";
}

TEST(SettingsStore, ADamagedFileGivesDefaultsAndIsLeftAsItWas)
{
    CScratchStore store;
    const std::string damaged = std::string("SQLite format 3\0", 16) + std::string(2000, '\x7f');
    store.Replace(damaged);
    bool loaded = true;
    EXPECT_EQ(SettingsValues{}, Load(&loaded));
    EXPECT_FALSE(loaded);
    Save({"D:\\lost", 1, 0, {"E:\\lost"}});
    EXPECT_EQ(damaged, store.Contents());
}

// Another program's transaction held across the load and the save, as an
// administrator's sqlite3 session: reading never waits for the write lock, a
// store that cannot be read gives the defaults and says so, and a save that
// cannot get the store writes none of the fields. The save waits once for the
// whole store, not once per value: a session that lets go after that one
// wait, while a save of value after value would still be writing, finds
// nothing of the save written; one that lets go within the wait finds all.
TEST(SettingsStore, AnotherProgramHoldingTheStoreNeverCostsTheStoredSettings)
{
    constexpr int kWaitMs = 300;
    constexpr int kHolds = -1;
    constexpr LONG kBusy = ERROR_SHARING_VIOLATION;
    struct Case {
        const char* what;
        const char* held;
        int letsGoAfterMs;
        bool loads;
        LONG saved;
        SettingsValues afterwards;
    };
    const SettingsValues stored{"D:\\kept", 1, 0, {"E:\\kept"}};
    const SettingsValues storedAndChanged{"D:\\kept", 0, 0, {"E:\\kept"}};
    const SettingsValues changed{"D:\\new", 0, 1, {"E:\\new", "F:\\new"}};
    const char* const reader = "BEGIN; SELECT count(*) FROM reg_values;";
    const char* const writer = "BEGIN IMMEDIATE; UPDATE reg_values SET data = X'00000000' WHERE name = 'EnableWrite';";
    const Case cases[] = {
        {"a reader", reader, kHolds, true, kBusy, stored},
        {"a writer with a change pending", writer, kHolds, true, kBusy, storedAndChanged},
        {"a writer holding the file", "BEGIN EXCLUSIVE;", kHolds, false, kBusy, stored},
        {"a writer that lets go halfway through the save", writer, 4 * kWaitMs, true, kBusy, storedAndChanged},
        {"a writer that lets go within the wait", writer, kWaitMs / 10, true, ERROR_SUCCESS, changed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CScratchStore store;
        const CShortStoreWait shortWait(kWaitMs);
        Save(stored);
        CSqliteSession session(store.File(), c.held);
        ASSERT_TRUE(session.Holding());
        bool loaded = !c.loads;
        EXPECT_EQ(c.loads ? stored : SettingsValues{}, Load(&loaded));
        EXPECT_EQ(c.loads, loaded);
        if (c.letsGoAfterMs != kHolds)
            session.LetGoAfter(c.letsGoAfterMs);
        EXPECT_EQ(c.saved, Save(changed));
        if (c.saved != ERROR_SUCCESS) {
            EXPECT_FALSE(session.HasLetGo()) << "the save gave up after one wait, not one per value";
        }
        session.End();
        EXPECT_EQ(c.afterwards, Load());
        EXPECT_EQ(c.saved == ERROR_SUCCESS ? 6u : 5u, store.Values().size()) << "no entry of a failed save was added";
    }
}

// A value the store refuses part way through the save (here another
// program's trigger) costs the values before it too: all land, or none.
TEST(SettingsStore, ASaveThatFailsAtOneValueWritesNone)
{
    CScratchStore store;
    const SettingsValues stored{"D:\\kept", 1, 0, {"E:\\kept"}};
    Save(stored);
    ASSERT_TRUE(store.Execute("CREATE TRIGGER refuse BEFORE UPDATE ON reg_values WHEN NEW.name = 'RunMinimized'"
                              " BEGIN SELECT RAISE(ABORT, 'refused'); END;"));
    EXPECT_EQ(ERROR_REGISTRY_IO_FAILED, Save({"D:\\new", 0, 1, {"E:\\new", "F:\\new"}}));
    EXPECT_EQ(stored, Load());
    EXPECT_EQ(5u, store.Values().size());
}

} // namespace
