// Fuzzes the settings load over whatever the store file may hold: values of
// any type, storage class and size under the settings key or beside it, keys
// missing, foreign tables, a file of arbitrary bytes, or no file at all. The
// search folder count stays small, so that each input costs only a few store
// opens.
#include "platform/registry/Registry.h"
#include "settings/SettingsStore.h"
#include "tests/fuzz/support/FuzzChecks.h"
#include "tests/fuzz/support/FuzzInput.h"

#include <sqlite3.h>
#include <strings.h>
#include <unistd.h>

#include <fstream>

namespace {

constexpr int kMaxRecords = 8;
constexpr int kMaxCount = 20;
const char* const kSettingsPath = "SOFTWARE\\Corvane\\TFTP\\Settings";

enum class Layout { Ours, RawBytes, Foreign, Empty, Missing };

const char* const kOurTables
    = "CREATE TABLE reg_keys (path TEXT PRIMARY KEY COLLATE NOCASE);"
      "CREATE TABLE reg_values (key TEXT NOT NULL COLLATE NOCASE, name TEXT NOT NULL COLLATE NOCASE,"
      " type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY (key, name));";
const char* const kForeignTables = "CREATE TABLE reg_keys (path TEXT, extra INTEGER);"
                                   "CREATE TABLE reg_values (key TEXT, name TEXT, data BLOB);";

const std::string& StoreFile()
{
    static const std::string file = MakeScratchFolder("vantrel-fuzz-settings") + "/hklm.db";
    return file;
}

// The store's content is built in a database in memory, which stays open for
// every input with its statements prepared, and is written out as one file:
// the load, not the building, is what the runs spend their time on.
class StoreImage {
public:
    explicit StoreImage(const char* tables)
    {
        sqlite3_open(":memory:", &m_db);
        sqlite3_exec(m_db, tables, nullptr, nullptr, nullptr);
        m_clear = Prepare("DELETE FROM reg_keys");
        m_clearValues = Prepare("DELETE FROM reg_values");
        m_addKey = Prepare("INSERT OR IGNORE INTO reg_keys(path) VALUES (?)");
        // Fails on a foreign layout, which then holds no values.
        m_addValue = Prepare("INSERT OR REPLACE INTO reg_values(key, name, type, data) VALUES (?,?,?,?)");
    }
    StoreImage(const StoreImage&) = delete;
    StoreImage& operator=(const StoreImage&) = delete;

    void Clear()
    {
        Run(m_clear);
        Run(m_clearValues);
    }

    void AddKey(const std::string& path)
    {
        if (m_addKey == nullptr)
            return;
        sqlite3_bind_text(m_addKey, 1, path.data(), static_cast<int>(path.size()), SQLITE_TRANSIENT);
        Run(m_addKey);
    }

    // The type and the data each in a storage class the input chooses.
    void AddValue(const std::string& key, const std::string& name, FuzzInput& input)
    {
        const std::uint8_t typeChoice = input.Byte();
        const std::uint8_t storage = input.Byte();
        const std::uint8_t shortLength = input.Byte();
        const std::size_t length = shortLength == 0xFF ? input.Word() : shortLength;
        const std::string bytes = input.Take(length);
        if (m_addValue == nullptr)
            return;
        sqlite3_bind_text(m_addValue, 1, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(m_addValue, 2, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        BindType(m_addValue, typeChoice);
        BindData(m_addValue, storage, bytes);
        Run(m_addValue);
    }

    void WriteTo(const std::string& file)
    {
        sqlite3_int64 size = 0;
        unsigned char* image = sqlite3_serialize(m_db, "main", &size, 0);
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(image), size);
        sqlite3_free(image);
    }

private:
    sqlite3_stmt* Prepare(const char* sql)
    {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr);
        return statement;
    }

    static void Run(sqlite3_stmt* statement)
    {
        sqlite3_step(statement);
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    }

    static void BindType(sqlite3_stmt* insert, std::uint8_t choice)
    {
        static const sqlite3_int64 types[] = {1, 3, 4, 0, 2, 7, -1, 0x100000004LL};
        if (choice & 0x80)
            sqlite3_bind_text(insert, 3, "4", 1, SQLITE_STATIC);
        else
            sqlite3_bind_int64(insert, 3, types[choice % 8]);
    }

    static void BindData(sqlite3_stmt* insert, std::uint8_t storage, const std::string& bytes)
    {
        switch (storage % 4) {
        case 0: sqlite3_bind_blob(insert, 4, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT); break;
        case 1: sqlite3_bind_text(insert, 4, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT); break;
        case 2: sqlite3_bind_int64(insert, 4, static_cast<sqlite3_int64>(bytes.size()) - 3); break;
        default: sqlite3_bind_double(insert, 4, 1.5 * static_cast<double>(bytes.size())); break;
        }
    }

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_clear = nullptr;
    sqlite3_stmt* m_clearValues = nullptr;
    sqlite3_stmt* m_addKey = nullptr;
    sqlite3_stmt* m_addValue = nullptr;
};

std::string CountData(FuzzInput& input)
{
    const std::uint8_t count = input.Byte() % kMaxCount;
    switch (input.Byte() % 4) {
    case 0: return std::string{static_cast<char>(count), 0, 0, 0};
    case 1: return std::string(1, static_cast<char>(count));
    case 2: return std::string{static_cast<char>(count), 0};
    default: return std::string{static_cast<char>(count), 0, 0, 0, 0};
    }
}

// One of the names the load reads, in a letter case the input picks, or
// any other name; any name that could be the count is left out.
std::string ValueName(FuzzInput& input, bool* isCount)
{
    static const char* const names[] = {"WriteDir", "EnableWrite", "RunMinimized", "ReadirCount", "ReadirRoot-"};
    const std::uint8_t choice = input.Byte();
    std::string name;
    if (choice < 0xE0) {
        name = names[choice % 5];
        if (name == "ReadirRoot-")
            name += std::to_string(input.Byte() % kMaxCount);
        const std::uint8_t caseBits = input.Byte();
        for (std::size_t i = 0; i < name.size() && i < 8; ++i)
            if (caseBits >> i & 1)
                name[i] = static_cast<char>(name[i] ^ 0x20);
    } else {
        name = input.Take(input.Byte() % 32);
    }
    *isCount = strcasecmp(name.c_str(), "ReadirCount") == 0;
    return name;
}

std::string KeyPath(FuzzInput& input)
{
    switch (input.Byte() % 4) {
    case 0: return kSettingsPath;
    case 1: return "software\\corvane\\tftp\\SETTINGS";
    case 2: return "SOFTWARE\\Corvane\\TFTP";
    default: return input.Take(input.Byte() % 48);
    }
}

void WriteStoreValues(StoreImage& store, FuzzInput& input)
{
    const std::uint8_t keyRows = input.Byte();
    const std::string paths[] = {"SOFTWARE", "SOFTWARE\\Corvane", "SOFTWARE\\Corvane\\TFTP", kSettingsPath};
    for (int i = 0; i < 4; ++i)
        if (keyRows >> i & 1)
            store.AddKey(paths[i]);
    for (int i = 0; i < kMaxRecords && !input.AtEnd(); ++i) {
        const std::string key = KeyPath(input);
        bool isCount = false;
        const std::string name = ValueName(input, &isCount);
        if (!isCount) {
            store.AddValue(key, name, input);
            continue;
        }
        // The count's data is small whatever the input asks; its type is not.
        const std::string data = CountData(input);
        std::string record
            = std::string(1, static_cast<char>(input.Byte())) + '\0' + static_cast<char>(data.size()) + data;
        FuzzInput countInput(reinterpret_cast<const std::uint8_t*>(record.data()), record.size());
        store.AddValue(key, "ReadirCount", countInput);
    }
}

void WriteStore(FuzzInput& input)
{
    const std::string& file = StoreFile();
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        unlink((file + suffix).c_str());
    const auto layout = static_cast<Layout>(input.Byte() % 5);
    if (layout == Layout::Missing)
        return;
    if (layout == Layout::RawBytes) {
        std::ofstream(file, std::ios::binary) << input.Take(SIZE_MAX);
        return;
    }
    if (layout == Layout::Empty) {
        std::ofstream(file, std::ios::binary);
        return;
    }
    static StoreImage ours(kOurTables);
    static StoreImage foreign(kForeignTables);
    StoreImage& store = layout == Layout::Ours ? ours : foreign;
    store.Clear();
    WriteStoreValues(store, input);
    store.WriteTo(file);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    RegSetStoreFile(HKEY_LOCAL_MACHINE, StoreFile());
    FuzzInput input(data, size);
    WriteStore(input);
    const int descriptorsBefore = OpenDescriptorCount();
    std::string writeDir;
    int enableWrite = 0;
    int runMinimized = 0;
    std::vector<std::string> searchDirs;
    ReadSettingsFromRegistry({writeDir, enableWrite, runMinimized, searchDirs});
    Require(searchDirs.size() < kMaxCount, "more search folders than the count allows");
    Require(OpenDescriptorCount() == descriptorsBefore, "the store stayed open after the load");
    return 0;
}
