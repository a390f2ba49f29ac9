// A long session of the real executable: thousands of transfers from sixteen
// clients at once, of every kind a technician's network sends, after which
// the program holds no more descriptors and barely more memory than before.
#include "support/ClientRun.h"
#include "support/StoreFile.h"
#include "support/VantrelProcess.h"
#include "tests/support/RandomBytes.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

namespace {

constexpr int kTransfers = 2000;
constexpr int kClients = 16;
constexpr int kServedFiles = 12;
constexpr long kMaxGrowthKb = 1024;

enum class Kind { Download, Upload, RefusedWrite, MissingFile, UnsafeName };
const Kind kKinds[] = {Kind::Download,     Kind::Download,    Kind::Upload,    Kind::Upload,
                       Kind::RefusedWrite, Kind::MissingFile, Kind::UnsafeName};

struct Client {
    const char* name;
    std::vector<std::string> (*get)(const std::string& remote, const std::string& local);
    std::vector<std::string> (*put)(const std::string& local, const std::string& remote);
    bool reportsRefusals; // tftp-hpa's -c ends with 0 even after an error packet
};

const Client kTftpClients[] = {
    {"tftp-hpa",
     [](const std::string& r, const std::string& l) {
         return std::vector<std::string>{"tftp", "-m", "binary", "127.0.0.1", "-c", "get", r, l};
     },
     [](const std::string& l, const std::string& r) {
         return std::vector<std::string>{"tftp", "-m", "binary", "127.0.0.1", "-c", "put", l, r};
     },
     false},
    {"curl",
     [](const std::string& r, const std::string& l) {
         return std::vector<std::string>{"curl", "-sS", "--path-as-is",         "--max-time", "30",
                                         "-o",   l,     "tftp://127.0.0.1/" + r};
     },
     [](const std::string& l, const std::string& r) {
         return std::vector<std::string>{"curl", "-sS", "--path-as-is",         "--max-time", "30",
                                         "-T",   l,     "tftp://127.0.0.1/" + r};
     },
     true},
    {"busybox",
     [](const std::string& r, const std::string& l) {
         return std::vector<std::string>{"busybox", "tftp", "-g", "-r", r, "-l", l, "127.0.0.1"};
     },
     [](const std::string& l, const std::string& r) {
         return std::vector<std::string>{"busybox", "tftp", "-p", "-l", l, "-r", r, "127.0.0.1"};
     },
     true},
};

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "<missing>";
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Sizes around the block edges, small enough for thousands of runs.
std::size_t SizeOf(int index)
{
    static const std::size_t sizes[] = {0, 1, 511, 512, 513, 1024, 1500, 4096, 5000, 7000, 8192, 9999};
    return sizes[index % std::size(sizes)];
}

class Soak : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* dir : {"served", "uploads", "local", "outside"})
            ASSERT_TRUE(QDir(m_root.path()).mkpath(dir));
        QDir(QString::fromStdString(Dir("uploads"))).mkdir("a-folder");
        WriteFile(Dir("outside") + "/secret", "not to be served");
        for (int i = 0; i < kServedFiles; ++i)
            WriteFile(Dir("served") + "/file" + std::to_string(i), RandomBytes(SizeOf(i), i + 1));
        QFile::remove(kStoreFile);
        ProvisionStore(kStoreFile, kSettingsKey,
                       {{"WriteDir", TextValue(Dir("uploads"))},
                        {"EnableWrite", NumberValue(1)},
                        {"ReadirCount", NumberValue(1)},
                        {"ReadirRoot-0", TextValue(Dir("served"))}});
    }

    std::string Dir(const char* name) const { return m_root.filePath(name).toStdString(); }

    // One transfer; an empty text when it went as it should, else what went wrong.
    std::string RunTransfer(int index)
    {
        const Client& client = kTftpClients[index % std::size(kTftpClients)];
        const Kind kind = kKinds[index % std::size(kKinds)];
        const std::string local = Dir("local") + "/t" + std::to_string(index);
        const int file = index % kServedFiles;
        switch (kind) {
        case Kind::Download: {
            const int code = RunQuietly(client.get("file" + std::to_string(file), local));
            const bool same = ReadFile(local) == ReadFile(Dir("served") + "/file" + std::to_string(file));
            return code == 0 && same ? "" : "download differs";
        }
        case Kind::Upload: {
            const std::string bytes = RandomBytes(SizeOf(index / 7), index);
            WriteFile(local, bytes);
            const std::string remote = "up" + std::to_string(index);
            const int code = RunQuietly(client.put(local, remote));
            return code == 0 && ReadFile(Dir("uploads") + "/" + remote) == bytes ? "" : "upload differs";
        }
        case Kind::RefusedWrite: {
            // No such folder in the write folder, or a folder where the file would go.
            WriteFile(local, "refused");
            const std::string remote = index % 2 ? "no-folder/x" + std::to_string(index) : "a-folder";
            return Refused(client, RunQuietly(client.put(local, remote))) ? "" : "write not refused";
        }
        case Kind::MissingFile: {
            const int code = RunQuietly(client.get("missing" + std::to_string(index), local));
            return Refused(client, code) && Empty(local) ? "" : "missing file served";
        }
        case Kind::UnsafeName: {
            const int code = index % 2
                ? RunQuietly(client.get("../outside/secret", local))
                : RunQuietly(client.put(Dir("outside") + "/secret", "../up" + std::to_string(index)));
            return Refused(client, code) && Empty(local) ? "" : "unsafe name served";
        }
        }
        return "unknown kind";
    }

    static bool Refused(const Client& client, int code) { return client.reportsRefusals ? code > 0 : code >= 0; }
    static bool Empty(const std::string& path) { return ReadFile(path) == "<missing>" || ReadFile(path).empty(); }

    QTemporaryDir m_root;
};

TEST_F(Soak, ThousandsOfTransfersFromSixteenClientsLeaveNothingBehind)
{
    VantrelProcess vantrel;
    ASSERT_TRUE(vantrel.Start());
    ASSERT_TRUE(WaitForUdpSockets(69, 1, 30000));
    QThread::msleep(500);
    const pid_t pid = ChildRunning(VANTREL_BINARY_DIR "/ui/vantrel");
    ASSERT_GT(pid, 0);
    const int descriptorsBefore = DescriptorCount(pid);
    const long residentBefore = ResidentKb(pid);

    std::atomic<int> next{0};
    std::mutex failuresLock;
    std::vector<std::string> failures;
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c)
        clients.emplace_back([&] {
            for (int i = next++; i < kTransfers; i = next++) {
                const std::string failure = RunTransfer(i);
                if (!failure.empty()) {
                    std::lock_guard<std::mutex> lock(failuresLock);
                    failures.push_back(std::to_string(i) + " " + kTftpClients[i % 3].name + ": " + failure);
                }
            }
        });
    for (std::thread& client : clients)
        client.join();

    for (const std::string& failure : failures)
        ADD_FAILURE() << failure;
    EXPECT_EQ(ReadFile(Dir("outside") + "/secret"), "not to be served");
    EXPECT_EQ(QDir(m_root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 4);
    // A transfer whose last packet was lost under the load holds its file
    // until it gives up, which takes four reply timeouts of 3 s.
    QDeadlineTimer givenUp(15000);
    while (DescriptorCount(pid) > descriptorsBefore && !givenUp.hasExpired())
        QThread::msleep(200);
    ASSERT_TRUE(vantrel.IsRunning());
    EXPECT_LE(DescriptorCount(pid), descriptorsBefore);
    const long growthKb = ResidentKb(pid) - residentBefore;
    if (kResidentMemoryIsMeaningful) {
        EXPECT_LT(growthKb, kMaxGrowthKb) << "from " << residentBefore << " kB";
    }
    std::printf("soak: %d transfers, descriptors %d -> %d, resident %ld kB -> %+ld kB\n", kTransfers, descriptorsBefore,
                DescriptorCount(pid), residentBefore, growthKb);
    EXPECT_TRUE(vantrel.EndWith(SIGTERM));
}

} // namespace
