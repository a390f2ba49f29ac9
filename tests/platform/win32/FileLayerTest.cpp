// The service's files on Windows: names opened only beneath their directory,
// whatever Windows reads into a name or finds on the way, and uploads that
// replace their target in one step while downloads of it go on.
#include "platform/FileRead.h"
#include "platform/RegularFile.h"
#include "platform/TemporaryUpload.h"
#include "platform/UploadFile.h"
#include "platform/WinTypes.h"
#include "tests/support/win32/LinuxCommand.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace {

namespace fs = std::filesystem;

// A directory of the test's own, with a directory beside it that names must
// never reach.
struct Folders {
    Folders()
    {
        fs::create_directories(served / "sub");
        fs::create_directories(outside);
    }
    // Under wine a link to a directory cannot be removed; the test's prefix
    // goes with the run.
    ~Folders()
    {
        std::error_code ignored;
        fs::remove_all(base, ignored);
    }
    fs::path base = fs::temp_directory_path() / ("filelayer-" + std::to_string(GetCurrentProcessId()));
    fs::path served = base / "served";
    fs::path outside = base / "outside";
};

// Under wine, the Linux path of a Windows path, from wine's own conversion.
std::string UnixPath(const fs::path& path)
{
    using Convert = char* (*)(const WCHAR*);
    const auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    char* unix = convert ? convert(path.wstring().c_str()) : nullptr;
    const std::string text = unix ? unix : "";
    HeapFree(GetProcessHeap(), 0, unix);
    return text;
}

void Put(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadAll(FileId file, long long size)
{
    std::string bytes(static_cast<std::size_t>(size), '\0');
    bytes.resize(static_cast<std::size_t>(ReadAt(file, bytes.data(), bytes.size(), 0)));
    return bytes;
}

BeneathResult OpenForRead(const Folders& folders, const std::string& name)
{
    long long size = 0;
    BeneathResult result = BeneathResult::Failed;
    const FileId file = OpenRegularFileForRead(folders.served.string(), name, &size, &result);
    if (file != kNoFile)
        CloseFile(file);
    return result;
}

BeneathResult BeginAndDiscard(const Folders& folders, const std::string& name)
{
    UploadFile upload;
    BeneathResult result = BeneathResult::Failed;
    const FileId file = BeginUpload(folders.served.string(), name, &upload, &result);
    if (file != kNoFile)
        CloseFile(file);
    DiscardUpload(&upload);
    return result;
}

} // namespace

TEST(FileLayer, NamesThatWindowsReadsAsSomethingElseAreRefused)
{
    Folders folders;
    struct Case {
        const char* name;
        BeneathResult expected;
    };
    const Case cases[] = {
        {"a:b", BeneathResult::Outside},        {"f.txt:stream", BeneathResult::Outside},
        {"CON", BeneathResult::Outside},        {"con.txt", BeneathResult::Outside},
        {"Nul", BeneathResult::Outside},        {"aux .log", BeneathResult::Outside},
        {"COM1.log", BeneathResult::Outside},   {"lpt9", BeneathResult::Outside},
        {"sub/prn", BeneathResult::Outside},    {"name.", BeneathResult::Outside},
        {"name ", BeneathResult::Outside},      {"sub./f.txt", BeneathResult::Outside},
        {"COM10", BeneathResult::Opened},       {"console.txt", BeneathResult::Opened},
        {"sub/./f.txt", BeneathResult::Opened}, {"a.b.c", BeneathResult::Opened},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path plain = folders.served / fs::path(c.name).make_preferred();
        if (c.expected == BeneathResult::Opened)
            Put(plain, "x");
        EXPECT_EQ(OpenForRead(folders, c.name), c.expected);
        EXPECT_EQ(BeginAndDiscard(folders, c.name), c.expected);
    }
    EXPECT_NE(OpenForRead(folders, "sub"), BeneathResult::Opened) << "a directory is no file to serve";
    EXPECT_EQ(BeginAndDiscard(folders, "sub"), BeneathResult::Failed) << "nor one to replace";
}

TEST(FileLayer, LinksAreFollowedOnlyWhereTheyStayBeneathTheDirectory)
{
    Folders folders;
    Put(folders.outside / "secret", "secret");
    Put(folders.served / "sub" / "inside", "inside");
    const struct {
        const char* link;
        fs::path target;
        DWORD flags;
    } links[] = {
        {"out", folders.outside / "secret", 0},
        {"in", folders.served / "sub" / "inside", 0},
        {"outdir", folders.outside, SYMBOLIC_LINK_FLAG_DIRECTORY},
    };
    for (const auto& link : links) {
        const fs::path path = folders.served / link.link;
        CreateSymbolicLinkA(path.string().c_str(), link.target.string().c_str(),
                            link.flags | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
        // Wine 8 answers success and makes nothing; Linux makes the link there.
        if (!fs::exists(path)) {
            ASSERT_EQ(RunLinux("ln -s " + UnixPath(link.target) + " " + UnixPath(path), UnixPath(folders.base)), 0);
        }
        ASSERT_TRUE(fs::exists(path)) << link.link;
    }
    EXPECT_EQ(OpenForRead(folders, "out"), BeneathResult::Outside);
    EXPECT_EQ(OpenForRead(folders, "outdir/secret"), BeneathResult::Outside);
    EXPECT_EQ(BeginAndDiscard(folders, "outdir/new"), BeneathResult::Outside);
    EXPECT_EQ(OpenForRead(folders, "in"), BeneathResult::Opened);
    EXPECT_FALSE(fs::exists(folders.outside / "new"));
}

TEST(FileLayer, AnUploadReplacesAFileWhileItsDownloadGoesOnWithTheOldBytes)
{
    Folders folders;
    const std::string before(2000, 'o'), after(700, 'n');
    Put(folders.served / "f", before);
    long long size = 0;
    BeneathResult result = BeneathResult::Failed;
    const FileId download = OpenRegularFileForRead(folders.served.string(), "f", &size, &result);
    ASSERT_NE(download, kNoFile);

    UploadFile upload;
    const FileId file = BeginUpload(folders.served.string(), "f", &upload, &result);
    ASSERT_NE(file, kNoFile);
    const fs::path temporary = folders.served / upload.temporary;
    EXPECT_TRUE(GetFileAttributesA(temporary.string().c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(WriteUpload(file, after.data(), after.size()));
    const bool replaced = CompleteUpload(&upload, file);
    const DWORD error = GetLastError();
    DiscardUpload(&upload);

    EXPECT_EQ(ReadAll(download, size), before);
    CloseFile(download);
    EXPECT_FALSE(fs::exists(temporary));
    // Without POSIX renames (wine 8, Windows before 10), a file held open
    // cannot be replaced: the upload fails and the target stays whole.
    if (!replaced) {
        const FileId kept = OpenRegularFileForRead(folders.served.string(), "f", &size, &result);
        EXPECT_EQ(ReadAll(kept, size), before);
        CloseFile(kept);
        GTEST_SKIP() << "this system does not replace a file held open: error " << error;
    }
    const FileId fresh = OpenRegularFileForRead(folders.served.string(), "f", &size, &result);
    ASSERT_NE(fresh, kNoFile);
    EXPECT_EQ(ReadAll(fresh, size), after);
    CloseFile(fresh);
    EXPECT_FALSE(GetFileAttributesA((folders.served / "f").string().c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST(FileLayer, LeftoverTemporaryFilesAreRemovedAndNamedInAnyCase)
{
    Folders folders;
    const std::string leftover = ".f.upload-0123456789abcdef";
    Put(folders.served / leftover, "partial");
    fs::create_directory(folders.served / ".d.upload-0123456789abcdef");
    EXPECT_TRUE(IsTemporaryUploadName(".F.UPLOAD-0123456789ABCDEF"));
    RemoveStaleUploads(folders.served.string());
    EXPECT_FALSE(fs::exists(folders.served / leftover));
    EXPECT_TRUE(fs::exists(folders.served / ".d.upload-0123456789abcdef")) << "a directory is left alone";
}
