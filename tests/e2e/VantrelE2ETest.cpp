// The whole program from start to exit: the real executable, headless, in a
// private network namespace with its store on a tmpfs, driven by real TFTP
// clients and ended by the signals of a session's end.
#include "support/StoreFile.h"
#include "support/VantrelProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sstream>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kTftpPort = 69;
constexpr int kBindMs = 30000;

std::string Bytes(std::size_t count, char seed)
{
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<char>(seed + i * 7 % 251);
    return bytes;
}

void WriteFile(const QString& path, const std::string& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll().toStdString();
}

int TftpHpa(const char* command, const QString& first, const QString& second)
{
    return RunClient("tftp", {"-m", "binary", "127.0.0.1", "-c", command, first, second});
}

int CurlGet(const QString& name, const QString& local)
{
    return RunClient("curl", {"-sS", "--max-time", "30", "-o", local, "tftp://127.0.0.1/" + name});
}

int CurlPut(const QString& local, const QString& name)
{
    return RunClient("curl", {"-sS", "--max-time", "30", "-T", local, "tftp://127.0.0.1/" + name});
}

// The lines of output that are not lines of the program's own record.
std::vector<std::string> ForeignLines(const std::string& output)
{
    std::vector<std::string> foreign;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with("vantrel: "))
            foreign.push_back(line);
    }
    return foreign;
}

std::map<std::string, StoredValue> SavedSettings()
{
    return ReadStore(kStoreFile, kSettingsKey);
}

class VantrelE2E : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            QFile::remove(QString(kStoreFile) + suffix);
        ASSERT_TRUE(m_root.isValid());
        for (const char* dir : {"first", "second", "uploads", "fetched"})
            ASSERT_TRUE(QDir(m_root.path()).mkpath(dir));
    }

    QString Path(const QString& relative) const { return m_root.filePath(relative); }
    std::string Dir(const QString& relative) const { return Path(relative).toStdString(); }

    void StartServing(VantrelProcess& vantrel, int socketsAfter = 1)
    {
        ASSERT_TRUE(vantrel.Start());
        ASSERT_TRUE(WaitForUdpSockets(kTftpPort, socketsAfter, kBindMs));
    }

    QTemporaryDir m_root;
};

TEST_F(VantrelE2E, ServesFromTheSearchOrderAcceptsUploadsAndSavesOnSigterm)
{
    const std::string inFirst = Bytes(1500, 'a');
    const std::string inSecond = Bytes(1024, 'b');
    const std::string onlySecond = Bytes(5000, 'c');
    WriteFile(Path("first/both.bin"), inFirst);
    WriteFile(Path("second/both.bin"), inSecond);
    WriteFile(Path("second/only.bin"), onlySecond);
    const std::map<std::string, StoredValue> provisioned = {
        {"WriteDir", TextValue(Dir("uploads"))},   {"EnableWrite", NumberValue(1)},
        {"RunMinimized", NumberValue(1)},          {"ReadirCount", NumberValue(2)},
        {"ReadirRoot-0", TextValue(Dir("first"))}, {"ReadirRoot-1", TextValue(Dir("second"))},
    };
    ProvisionStore(kStoreFile, kSettingsKey, provisioned);
    VantrelProcess vantrel;
    StartServing(vantrel);

    EXPECT_EQ(TftpHpa("get", "both.bin", Path("fetched/hpa.bin")), 0);
    EXPECT_EQ(ReadFile(Path("fetched/hpa.bin")), inFirst);
    EXPECT_EQ(CurlGet("both.bin", Path("fetched/curl.bin")), 0);
    EXPECT_EQ(ReadFile(Path("fetched/curl.bin")), inFirst);
    EXPECT_EQ(CurlGet("only.bin", Path("fetched/only.bin")), 0);
    EXPECT_EQ(ReadFile(Path("fetched/only.bin")), onlySecond);

    const std::string upload = Bytes(700, 'u');
    WriteFile(Path("fetched/up.bin"), upload);
    EXPECT_EQ(TftpHpa("put", Path("fetched/up.bin"), "hpa-up.bin"), 0);
    EXPECT_EQ(CurlPut(Path("fetched/up.bin"), "curl-up.bin"), 0);
    EXPECT_EQ(ReadFile(Path("uploads/hpa-up.bin")), upload);
    EXPECT_EQ(ReadFile(Path("uploads/curl-up.bin")), upload);

    ASSERT_TRUE(vantrel.EndWith(SIGTERM));
    EXPECT_EQ(SavedSettings(), provisioned);
    EXPECT_EQ(SavedSettings()["WriteDir"].data.size(), Dir("uploads").size());
}

TEST_F(VantrelE2E, FirstRunWithoutStoreServesNothingAndSavesTheDefaults)
{
    VantrelProcess vantrel;
    StartServing(vantrel);

    constexpr int kCurlTftpNotFound = 68;
    constexpr int kCurlTftpPermission = 69;
    EXPECT_EQ(CurlGet("any.bin", Path("fetched/any.bin")), kCurlTftpNotFound);
    WriteFile(Path("fetched/up.bin"), Bytes(100, 'u'));
    EXPECT_EQ(CurlPut(Path("fetched/up.bin"), "up.bin"), kCurlTftpPermission);

    ASSERT_TRUE(vantrel.EndWith(SIGTERM));
    EXPECT_EQ(ForeignLines(vantrel.Output()), std::vector<std::string>{}) << "Qt's warnings stay out of the record";
    const std::map<std::string, StoredValue> firstSave = {
        {"WriteDir", TextValue("")},
        {"EnableWrite", NumberValue(0)},
        {"RunMinimized", NumberValue(0)},
        {"ReadirCount", NumberValue(0)},
    };
    EXPECT_EQ(SavedSettings(), firstSave);
}

TEST_F(VantrelE2E, HeadlessSecondInstanceSaysWhyAndExitsOneWhileTheFirstServes)
{
    const std::string served = Bytes(600, 's');
    WriteFile(Path("first/file.bin"), served);
    ProvisionStore(kStoreFile, kSettingsKey,
                   {{"ReadirCount", NumberValue(1)}, {"ReadirRoot-0", TextValue(Dir("first"))}});
    VantrelProcess first;
    StartServing(first);

    VantrelProcess second;
    ASSERT_TRUE(second.Start());
    EXPECT_EQ(second.ExitStatus(), 1);
    EXPECT_NE(second.Output().find("vantrel: message: Unable to Bind socket. Is Vantrel already open? \n"),
              std::string::npos)
        << second.Output();
    EXPECT_EQ(CountUdpSocketsOnPort(kTftpPort), 1);
    EXPECT_EQ(TftpHpa("get", "file.bin", Path("fetched/after.bin")), 0);
    EXPECT_EQ(ReadFile(Path("fetched/after.bin")), served);
    EXPECT_TRUE(first.EndWith(SIGTERM));
}

// While it lives, no X server of the machine answers here: the folder of
// their sockets is covered by an empty one, and their abstract sockets belong
// to the machine's network namespace, not this one.
class SilencedDisplays {
public:
    SilencedDisplays()
        : m_covered(QFileInfo(kFolder).isDir()
                    && mount("tmpfs", kFolder, "tmpfs", MS_NOSUID | MS_NODEV | MS_NOEXEC, "mode=1777") == 0)
    {
    }
    ~SilencedDisplays()
    {
        if (m_covered)
            umount2(kFolder, MNT_DETACH);
    }
    // Without the folder, no socket can be in it.
    bool Silent() const { return m_covered || !QFileInfo::exists(kFolder); }

private:
    static constexpr const char* kFolder = "/tmp/.X11-unix";
    bool m_covered;
};

TEST_F(VantrelE2E, HelpAndVersionAnswerWithoutBindingOrStoreAndOtherArgumentsAreIgnored)
{
    const std::pair<const char*, const char*> answers[]
        = {{"--help", "Usage: vantrel\n"}, {"--version", "vantrel 1.2\n"}};
    for (const auto& [option, answer] : answers) {
        VantrelProcess answering;
        ASSERT_TRUE(answering.Start({"-x", option}));
        EXPECT_EQ(answering.ExitStatus(), 0) << option;
        EXPECT_EQ(answering.Output().rfind(answer, 0), 0u) << answering.Output();
    }
    EXPECT_FALSE(QFile::exists(kStoreFile));

    // Nothing answers on display :57, so it serves headless.
    const SilencedDisplays silenced;
    ASSERT_TRUE(silenced.Silent()) << std::strerror(errno);
    ASSERT_FALSE(QFile::exists("/tmp/.X11-unix/X57"));
    VantrelProcess vantrel;
    ASSERT_TRUE(vantrel.Start({"-x", "serve"}, ":57"));
    ASSERT_TRUE(WaitForUdpSockets(kTftpPort, 1, kBindMs)) << vantrel.Output();
    EXPECT_TRUE(vantrel.EndWith(SIGTERM));
    EXPECT_NE(vantrel.Output().find("vantrel: takes no options, ignored: \"-x\" \"serve\"\n"), std::string::npos);
    EXPECT_NE(vantrel.Output().find("vantrel: cannot open display :57, running headless\n"), std::string::npos);
}

TEST_F(VantrelE2E, EverySessionEndSignalSaves)
{
    for (const int signo : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signo);
        QFile::remove(kStoreFile);
        // A flag stored as 5 is shown unticked and so saved as 0: only a save
        // changes it.
        ProvisionStore(kStoreFile, kSettingsKey,
                       {{"EnableWrite", NumberValue(5)},
                        {"ReadirCount", NumberValue(1)},
                        {"ReadirRoot-0", TextValue(Dir("first"))}});
        VantrelProcess vantrel;
        StartServing(vantrel);
        ASSERT_TRUE(vantrel.EndWith(signo));
        EXPECT_EQ(SavedSettings()["EnableWrite"], NumberValue(0));
        EXPECT_EQ(SavedSettings()["ReadirRoot-0"], TextValue(Dir("first")));
        ASSERT_TRUE(WaitForUdpSockets(kTftpPort, 0, kBindMs));
    }
}

// Counts the DATA packets for block 1 that come back for count read requests
// of name, all sent from one socket and none acknowledged.
int FirstBlocksForUnfinishedReads(const std::string& name, int count)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(kTftpPort);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const std::string request = std::string("\0\1", 2) + name + std::string("\0octet\0", 7);
    int firstBlocks = 0;
    timeval wait{2, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    for (int i = 0; i < count; ++i) {
        sendto(fd, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&server), sizeof server);
        char reply[516];
        if (recv(fd, reply, sizeof reply, 0) >= 4 && reply[1] == 3 && reply[3] == 1)
            ++firstBlocks;
    }
    close(fd);
    return firstBlocks;
}

} // namespace

TEST_F(VantrelE2E, StartRaisesTheSoftDescriptorLimitToTheHardOne)
{
    WriteFile(Path("first/file.bin"), Bytes(2000, 'f'));
    ProvisionStore(kStoreFile, kSettingsKey,
                   {{"ReadirCount", NumberValue(1)}, {"ReadirRoot-0", TextValue(Dir("first"))}});
    constexpr rlim_t kSoftLimit = 64;
    rlimit saved{};
    getrlimit(RLIMIT_NOFILE, &saved);
    ASSERT_GT(saved.rlim_max, 4 * kSoftLimit);
    VantrelProcess vantrel;
    {
        // The program inherits the low soft limit and the higher hard one.
        rlimit lowered{kSoftLimit, saved.rlim_max};
        setrlimit(RLIMIT_NOFILE, &lowered);
        StartServing(vantrel);
        setrlimit(RLIMIT_NOFILE, &saved);
    }
    EXPECT_EQ(FirstBlocksForUnfinishedReads("file.bin", 2 * kSoftLimit), 2 * kSoftLimit);
    EXPECT_TRUE(vantrel.EndWith(SIGTERM));
}
