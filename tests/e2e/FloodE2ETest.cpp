// The real executable under floods on port 69. Random datagrams while a real
// client downloads a large file: the download arrives byte-identical and the
// program goes on serving, with its boxes left open by nobody. Read requests
// that are never acknowledged: all are let go, with their descriptors and
// the memory they took.
#include "support/ClientRun.h"
#include "support/StoreFile.h"
#include "support/VantrelProcess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <sstream>

namespace {

constexpr int kFloodDatagrams = 100000;
constexpr std::size_t kDownloadSize = 1000000;
constexpr int kMaxFloodDatagram = 1100;
constexpr int kSilentRequests = 5000;
// Requests unanswered at once, few enough that none is lost to a full socket
// buffer while the service opens their files.
constexpr int kRequestsInFlight = 100;
constexpr long kMaxGrowthKb = 2048;

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Half of them carry one of the opcodes the service knows or an unknown small
// one, so that requests, errors and boxes are all among them.
std::string RandomDatagram(std::mt19937& generator)
{
    std::string datagram(generator() % (kMaxFloodDatagram + 1), '\0');
    for (char& c : datagram)
        c = static_cast<char>(generator());
    if (datagram.size() >= 2 && generator() % 2) {
        datagram[0] = 0;
        datagram[1] = static_cast<char>(generator() % 8);
    }
    return datagram;
}

sockaddr_in ServiceAddress()
{
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(69);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return server;
}

// Sends from a few ports at full speed; how many datagrams were sent.
int Flood(unsigned seed)
{
    std::mt19937 generator(seed);
    const sockaddr_in server = ServiceAddress();
    int sockets[4];
    for (int& s : sockets)
        s = socket(AF_INET, SOCK_DGRAM, 0);
    int sent = 0;
    for (int i = 0; i < kFloodDatagrams; ++i) {
        const std::string datagram = RandomDatagram(generator);
        sent += sendto(sockets[i % 4], datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&server),
                       sizeof server)
            >= 0;
    }
    for (int s : sockets)
        close(s);
    return sent;
}

// Read requests for name, each from a port of its own, whose first block is
// received and never acknowledged; how many were answered with DATA.
int SendSilentReadRequests(const std::string& name, int count)
{
    const sockaddr_in server = ServiceAddress();
    const std::string request = std::string("\0\1", 2) + name + '\0' + "octet" + '\0';
    const timeval patience{10, 0};
    std::vector<int> sockets(kRequestsInFlight, -1);
    int answered = 0;
    for (int i = 0; i < count + kRequestsInFlight; ++i) {
        int& s = sockets[static_cast<std::size_t>(i % kRequestsInFlight)];
        if (s >= 0) {
            char reply[516];
            answered += recv(s, reply, sizeof reply, 0) >= 4 && reply[1] == 3;
            close(s);
            s = -1;
        }
        if (i >= count)
            continue;
        s = socket(AF_INET, SOCK_DGRAM, 0);
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
        sendto(s, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&server), sizeof server);
    }
    return answered;
}

class FloodE2E : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* dir : {"served", "uploads", "local"})
            ASSERT_TRUE(QDir(m_root.path()).mkpath(dir));
        std::mt19937 generator(7);
        m_large.resize(kDownloadSize);
        for (char& c : m_large)
            c = static_cast<char>(generator());
        std::ofstream(Dir("served") + "/large", std::ios::binary) << m_large;
        std::ofstream(Dir("served") + "/small", std::ios::binary) << "after the flood";
        QFile::remove(kStoreFile);
        ProvisionStore(kStoreFile, kSettingsKey,
                       {{"WriteDir", TextValue(Dir("uploads"))},
                        {"EnableWrite", NumberValue(1)},
                        {"ReadirCount", NumberValue(1)},
                        {"ReadirRoot-0", TextValue(Dir("served"))}});
    }

    // Names of the flood's uploads are random bytes, which QTemporaryDir cannot remove.
    void TearDown() override { std::filesystem::remove_all(Dir("uploads")); }

    std::string Dir(const char* name) const { return m_root.filePath(name).toStdString(); }

    int Download(const std::string& remote, const std::string& local)
    {
        return RunQuietly({"tftp", "-m", "binary", "127.0.0.1", "-c", "get", remote, Dir("local") + "/" + local}, 120);
    }

    QTemporaryDir m_root;
    std::string m_large;
};

TEST_F(FloodE2E, DownloadSurvivesRandomDatagramsAndServiceGoesOn)
{
    VantrelProcess vantrel;
    ASSERT_TRUE(vantrel.Start());
    ASSERT_TRUE(WaitForUdpSockets(69, 1, 30000));

    const pid_t pid = ChildRunning(VANTREL_BINARY_DIR "/ui/vantrel");
    QElapsedTimer clock;
    clock.start();
    auto download = std::async(std::launch::async, [this] { return Download("large", "large"); });
    QThread::msleep(20);
    EXPECT_EQ(Flood(1), kFloodDatagrams);
    const qint64 floodMs = clock.elapsed();
    EXPECT_EQ(download.get(), 0);
    std::printf("flood: %d datagrams in %lld ms, download done after %lld ms, %d descriptors held\n", kFloodDatagrams,
                static_cast<long long>(floodMs), static_cast<long long>(clock.elapsed()), DescriptorCount(pid));
    EXPECT_TRUE(ReadFile(Dir("local") + "/large") == m_large);

    ASSERT_TRUE(vantrel.IsRunning());
    EXPECT_EQ(Download("small", "small"), 0);
    EXPECT_EQ(ReadFile(Dir("local") + "/small"), "after the flood");
    EXPECT_TRUE(vantrel.EndWith(SIGTERM));
}

TEST_F(FloodE2E, SilentReadRequestsAreLetGoWithTheirDescriptorsAndMemory)
{
    VantrelProcess vantrel;
    ASSERT_TRUE(vantrel.Start());
    ASSERT_TRUE(WaitForUdpSockets(69, 1, 30000));
    QThread::msleep(500);
    const pid_t pid = ChildRunning(VANTREL_BINARY_DIR "/ui/vantrel");
    ASSERT_GT(pid, 0);
    const int descriptorsBefore = DescriptorCount(pid);
    const long residentBefore = ResidentKb(pid);

    const int answered = SendSilentReadRequests("small", kSilentRequests);
    EXPECT_GT(answered, 0);
    // Each gives up after four reply timeouts of 3 s; the deadline only ends a hang.
    QDeadlineTimer givenUp(120000);
    while (DescriptorCount(pid) > descriptorsBefore && !givenUp.hasExpired())
        QThread::msleep(200);
    ASSERT_TRUE(vantrel.IsRunning());
    EXPECT_LE(DescriptorCount(pid), descriptorsBefore);
    const long growthKb = ResidentKb(pid) - residentBefore;
    if (kResidentMemoryIsMeaningful) {
        EXPECT_LT(growthKb, kMaxGrowthKb) << "from " << residentBefore << " kB";
    }
    std::printf("silent flood: %d of %d requests served, resident %ld kB -> %+ld kB\n", answered, kSilentRequests,
                residentBefore, growthKb);
    EXPECT_EQ(Download("small", "small"), 0);
    EXPECT_EQ(ReadFile(Dir("local") + "/small"), "after the flood");
    EXPECT_TRUE(vantrel.EndWith(SIGTERM));
}

} // namespace
