// The real executable under a flood of random datagrams on port 69 while a
// real client downloads a large file: the download arrives byte-identical
// and the program goes on serving, with its boxes left open by nobody.
#include "support/ClientRun.h"
#include "support/StoreFile.h"
#include "support/VantrelProcess.h"

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

// Sends from a few ports at full speed; how many datagrams were sent.
int Flood(unsigned seed)
{
    std::mt19937 generator(seed);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(69);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
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

} // namespace
