// Transfers through a lossy loopback device inside a private network
// namespace: nftables drops every Nth datagram that the service sends, so the
// loss is deterministic and each transfer needs a known number of resends.
// And sends through a slow one, which fills the socket's send buffer.
#include "platform/SocketAddress.h"
#include "support/ChildProcess.h"
#include "support/Clients.h"
#include "tests/server/support/ServiceHarness.h"

#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>

namespace {

constexpr int kClientTimeoutMs = 120000;

// Drops the every-th datagram from port 69 while it lives, counting afresh.
class PacketLoss {
public:
    explicit PacketLoss(int every)
    {
        RunSetup("nft", {"add", "table", "inet", "loss"});
        RunSetup("nft", {"add", "chain", "inet", "loss", "input", "{ type filter hook input priority 0; }"});
        RunSetup("nft",
                 {"add", "rule", "inet", "loss", "input", "iif", "lo", "udp", "sport", "69", "numgen", "inc", "mod",
                  QString::number(every), QString::number(every - 1), "drop"});
    }
    ~PacketLoss() { RunSetup("nft", {"delete", "table", "inet", "loss"}); }
};

// Holds what the loopback device is given and lets it go at a trickle while
// it lives, as a slow link does: a sender's buffer fills within milliseconds.
class SlowLoopback {
public:
    SlowLoopback()
    {
        RunSetup("tc",
                 {"qdisc", "add", "dev", "lo", "root", "tbf", "rate", "100kbit", "burst", "1600", "limit", "10000000"});
    }
    ~SlowLoopback() { RunSetup("tc", {"qdisc", "del", "dev", "lo", "root"}); }
};

int CountTexts(const StatusRecorder& status, const std::string& prefix)
{
    return static_cast<int>(std::count_if(status.texts.begin(), status.texts.end(),
                                          [&](const std::string& text) { return text.rfind(prefix, 0) == 0; }));
}

class LossClients : public testing::Test {
protected:
    ServiceHarness service{69, true};
    QTemporaryDir scratch;
};

} // namespace

TEST_F(LossClients, DownloadsSurviveLossThroughResends)
{
    // 59 DATA packets with every 25th lost: two resends, within the three allowed.
    const std::string bytes = RandomBytes(30000, 50);
    service.PutFile(0, "lossy", bytes);
    for (const TftpClient& client : {TftpClients()[0], TftpClients()[1]}) {
        const std::size_t before = service.status.texts.size();
        const QString local = scratch.filePath(client.name);
        QString output;
        int code;
        {
            PacketLoss loss(25);
            code = RunProgram(client.program, client.get("lossy", local), kClientTimeoutMs, &output);
        }
        EXPECT_EQ(code, 0) << client.name.toStdString() << ": " << output.toStdString();
        EXPECT_TRUE(ReadWholeFile(local.toStdString()) == bytes) << client.name.toStdString();
        StatusRecorder since;
        since.texts.assign(service.status.texts.begin() + static_cast<std::ptrdiff_t>(before),
                           service.status.texts.end());
        EXPECT_EQ(CountTexts(since, "ReSent Block"), 2) << client.name.toStdString();
        EXPECT_EQ(since.Last(), "Finished");
    }
}

TEST_F(LossClients, UploadSurvivesLossThroughReacknowledgements)
{
    const std::string bytes = RandomBytes(60000, 51);
    WriteWholeFile(scratch.filePath("up").toStdString(), bytes);
    QString output;
    int code;
    {
        PacketLoss loss(25); // 119 ACKs sent: four lost
        code = RunProgram("tftp", TftpClients()[0].put(scratch.filePath("up"), "up"), kClientTimeoutMs, &output);
    }
    EXPECT_EQ(code, 0) << output.toStdString();
    EXPECT_TRUE(ReadWholeFile(service.WritePath("up")) == bytes);
    EXPECT_GE(CountTexts(service.status, "Reacknowledge Block"), 4);
    EXPECT_EQ(service.status.Last(), "Finished");
}

TEST_F(LossClients, FourthLossOfDownloadGivesUp)
{
    const std::string bytes = RandomBytes(30 * 512 + 7, 52);
    service.PutFile(0, "doomed", bytes);
    const QString local = scratch.filePath("doomed");
    QString output;
    int code;
    {
        PacketLoss loss(5);
        code = RunProgram("tftp", TftpClients()[0].get("doomed", local), kClientTimeoutMs, &output);
    }
    EXPECT_TRUE(code != 0 || output.contains("timed out")) << output.toStdString();
    EXPECT_FALSE(ReadWholeFile(local.toStdString()) == bytes);
    EXPECT_EQ(CountTexts(service.status, "ReSent Block"), 4);
    // Blocks 5, 9 and 13 are resent; the fourth loss, block 17, gives up.
    EXPECT_EQ(CountTexts(service.status, "ReSent Block 13 [3 total errors]"), 1);
    EXPECT_EQ(CountTexts(service.status, "ReSent Block 17 fail"), 1);
    EXPECT_EQ(service.TableSize(), 0); // given up and let go
}

// The one thread never waits for a slow link: once the socket's send buffer
// is full, a send fails at once, and a queued datagram is dropped at once, as
// a lost one would be.
TEST_F(LossClients, AFullSendBufferFailsSendsAtOnce)
{
    const Endpoint to = EndpointAccess::FromText("127.0.0.1", 9); // nobody reads there
    const std::string block = DataPacket(1, std::string(512, 'x'));
    const int length = static_cast<int>(block.size());
    SlowLoopback slow;
    int sent = 0;
    while (sent < 400 && service.server.SendTo(block.data(), length, to) == length)
        ++sent;
    EXPECT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK) << std::strerror(errno);
    EXPECT_LT(sent, 400) << "a full buffer makes a send fail";

    const auto queuedAt = std::chrono::steady_clock::now();
    for (int i = 0; i < 64; ++i)
        service.server.QueueSendTo(block.data(), length, to);
    service.server.SendQueued();
    EXPECT_LT(std::chrono::steady_clock::now() - queuedAt, std::chrono::seconds(1))
        << "a blocked send would wait for 64 datagrams to trickle out, about 3 s";
}
