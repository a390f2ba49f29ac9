// The socket layer: binding, one datagram per receive, oversized datagrams
// dropped whole, notifications through the event loop, and queued sends.
#include "platform/AsyncSocket.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

class RecordingSocket : public CAsyncSocket {
public:
    void OnReceive(int) override
    {
        char buffer[1024];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        results.push_back(ReceiveFrom(buffer, sizeof buffer, reinterpret_cast<sockaddr*>(&from), &length));
        if (results.back() > 0)
            texts.emplace_back(buffer, static_cast<std::size_t>(results.back()));
    }
    std::vector<int> results;
    std::vector<std::string> texts;
};

sockaddr_in Loopback(unsigned short port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

void PumpUntil(const std::function<bool()>& done)
{
    QDeadlineTimer deadline(2000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// A server that records what it receives, and a client that sends to it.
class AsyncSocketPair : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.Create(0));
        ASSERT_TRUE(client.Create(0, SOCK_DGRAM, 0));
        to = Loopback(server.GetLocalPort());
    }

    RecordingSocket server;
    CAsyncSocket client;
    sockaddr_in to{};
};

} // namespace

TEST(AsyncSocket, TakenPortFailsToBind)
{
    CAsyncSocket first;
    ASSERT_TRUE(first.Create(0));
    const unsigned short port = first.GetLocalPort();
    EXPECT_NE(port, 0);
    CAsyncSocket second;
    EXPECT_FALSE(second.Create(port));
    EXPECT_EQ(second.GetLocalPort(), 0);
    first.Close();
    EXPECT_TRUE(second.Create(port));
    EXPECT_FALSE(second.Create(0)); // already has a socket
}

TEST_F(AsyncSocketPair, DeliversOneDatagramPerReceiveAndDropsOversizedOnes)
{
    const auto* target = reinterpret_cast<const sockaddr*>(&to);
    const std::string sizes[] = {"first", std::string(1025, 'x'), std::string(1024, 'y'), "", "last"};
    for (const std::string& datagram : sizes)
        EXPECT_EQ(client.SendTo(datagram.data(), static_cast<int>(datagram.size()), target, sizeof to),
                  static_cast<int>(datagram.size()));

    PumpUntil([&] { return server.texts.size() == 3; });
    EXPECT_EQ(server.texts, (std::vector<std::string>{"first", std::string(1024, 'y'), "last"}));
    EXPECT_EQ(server.results, (std::vector<int>{5, 0, 1024, 0, 4}));
}

TEST_F(AsyncSocketPair, QueuedDatagramsLeaveInTheirOrderAFullQueueAtOnce)
{
    std::vector<std::string> sent;
    for (int i = 0; i < 70; ++i) {
        sent.push_back("datagram " + std::to_string(i));
        client.QueueSendTo(sent.back().data(), static_cast<int>(sent.back().size()), to);
    }
    PumpUntil([&] { return server.texts.size() == 64; });
    EXPECT_EQ(server.texts.size(), 64u) << "the first 64 fill the queue, which goes at once";
    client.SendQueued();
    PumpUntil([&] { return server.texts.size() == sent.size(); });
    EXPECT_EQ(server.texts, sent);
}

TEST(AsyncSocket, ReportsSourceAddressAndNothingWaiting)
{
    CAsyncSocket server;
    ASSERT_TRUE(server.Create(0, SOCK_DGRAM, 0));
    CAsyncSocket client;
    ASSERT_TRUE(client.Create(0, SOCK_DGRAM, 0, "127.0.0.1"));
    char buffer[16];
    sockaddr_in from{};
    socklen_t length = sizeof from;
    EXPECT_LT(server.ReceiveFrom(buffer, sizeof buffer, reinterpret_cast<sockaddr*>(&from), &length), 0);

    const sockaddr_in to = Loopback(server.GetLocalPort());
    client.SendTo("hi", 2, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    EXPECT_EQ(server.ReceiveFrom(buffer, sizeof buffer, reinterpret_cast<sockaddr*>(&from), &length), 2);
    EXPECT_EQ(length, sizeof from);
    EXPECT_EQ(ntohs(from.sin_port), client.GetLocalPort());
    EXPECT_EQ(ntohl(from.sin_addr.s_addr), INADDR_LOOPBACK);

    CAsyncSocket invalid;
    EXPECT_FALSE(invalid.Create(0, SOCK_DGRAM, FD_READ, "not an address"));
    EXPECT_FALSE(invalid.Create(0, SOCK_STREAM));
}

TEST_F(AsyncSocketPair, AStreamOfDatagramsLeavesTheEventLoopItsTurns)
{
    std::atomic<bool> sending{true};
    std::thread sender([&] {
        while (sending)
            client.SendTo("ack", 3, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    });
    // The handler goes on while datagrams keep coming, but never for long.
    QElapsedTimer clock;
    clock.start();
    qint64 longestTurn = 0;
    while (clock.elapsed() < 400) {
        const qint64 start = clock.elapsed();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        longestTurn = std::max(longestTurn, clock.elapsed() - start);
    }
    sending = false;
    sender.join();
    EXPECT_GT(server.texts.size(), 100u);
    EXPECT_LT(longestTurn, 200);
}
