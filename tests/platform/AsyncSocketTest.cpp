// The socket layer: binding, one datagram per receive, oversized datagrams
// dropped whole, notifications through the event loop, and queued sends.
#include "platform/AsyncSocket.h"
#include "platform/WinTimer.h"

#include "tests/support/EventPump.h"
#include "tests/support/SourceAddress.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

sockaddr_in Loopback(unsigned short port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

class RecordingSocket : public CAsyncSocket {
public:
    void OnReceive(int) override
    {
        char buffer[1024];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        results.push_back(ReceiveFrom(buffer, sizeof buffer, reinterpret_cast<sockaddr*>(&from), &length));
        if (results.back() <= 0)
            return;
        texts.emplace_back(buffer, static_cast<std::size_t>(results.back()));
        lastTextAt = Clock::now();
        if (Clock::now() < feedUntil) {
            const sockaddr_in self = Loopback(GetLocalPort());
            SendTo(buffer, results.back(), reinterpret_cast<const sockaddr*>(&self), sizeof self);
        }
    }
    std::vector<int> results;
    std::vector<std::string> texts;
    Clock::time_point lastTextAt;
    // Until then, each datagram received is sent to the socket itself again,
    // so that the next one is always waiting, as from a peer in lock step.
    Clock::time_point feedUntil;
};

std::vector<Clock::time_point> g_ticks;
std::function<void()> g_onTick;

void RecordTick(HWND, UINT, UINT_PTR, DWORD)
{
    g_ticks.push_back(Clock::now());
    if (g_onTick)
        g_onTick();
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
#ifdef _WIN32
    // Windows sends each queued datagram at once: it has no call that sends many.
    const std::size_t leftBefore = sent.size();
#else
    const std::size_t leftBefore = 64;
#endif
    PumpUntil([&] { return server.texts.size() == leftBefore; });
    EXPECT_EQ(server.texts.size(), leftBefore) << "the first 64 fill the queue, which goes at once";
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
    EXPECT_EQ(length, static_cast<socklen_t>(sizeof from));
    EXPECT_EQ(ntohs(from.sin_port), client.GetLocalPort());
    EXPECT_EQ(ntohl(from.sin_addr.s_addr), INADDR_LOOPBACK);

    CAsyncSocket invalid;
    EXPECT_FALSE(invalid.Create(0, SOCK_DGRAM, FD_READ, "not an address"));
    EXPECT_FALSE(invalid.Create(0, SOCK_STREAM));
}

// A stream of datagrams, as a flood brings, is handled while it lasts, and
// the loop's timers go on ticking meanwhile: the socket's handler never keeps
// the loop for long. The stream feeds itself, so that a datagram is always
// waiting and the handler could stay as long as the stream lasts. On Windows
// the ticks come while the notifications pause: a datagram after the stream
// is heard, and so is a socket closed and created again on a tick.
TEST_F(AsyncSocketPair, AStreamOfDatagramsLeavesTheTimersTheirTicks)
{
    const unsigned short port = server.GetLocalPort();
    for (const bool createdAgainOnTicks : {false, true}) {
        SCOPED_TRACE(createdAgainOnTicks ? "created again on ticks" : "one socket");
        const Clock::time_point start = Clock::now();
        const Clock::time_point end = start + std::chrono::milliseconds(400);
        const auto startStream = [&] {
            for (int i = 0; i < 4; ++i)
                client.SendTo("ack", 3, reinterpret_cast<const sockaddr*>(&to), sizeof to);
        };
        server.texts.clear();
        server.feedUntil = end;
        g_ticks.clear();
        g_onTick = [&] {
            if (!createdAgainOnTicks || Clock::now() >= end)
                return;
            server.Close();
            EXPECT_TRUE(server.Create(port));
            startStream();
        };
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, RecordTick);
        startStream();
        PumpUntil([&] { return Clock::now() > end + std::chrono::milliseconds(100); }, 3000);
        KillTimer(nullptr, timer);
        g_onTick = nullptr;
        // The last datagrams of a stream that is heard while it lasts, sent
        // before its end, are heard after it.
        const auto heardAfterEnd = std::chrono::duration_cast<std::chrono::milliseconds>(server.lastTextAt - end);
        EXPECT_GE(heardAfterEnd.count(), 0) << "ms: the last datagram heard, from the stream's end";
        Clock::time_point lastTick = start;
        Clock::duration longestWait{};
        for (const Clock::time_point tick : g_ticks) {
            longestWait = std::max(longestWait, std::min(tick, end) - lastTick);
            lastTick = tick;
        }
        longestWait = std::max(longestWait, end - std::min(lastTick, end));
        EXPECT_LT(longestWait, std::chrono::milliseconds(200));

        client.SendTo("after", 5, reinterpret_cast<const sockaddr*>(&to), sizeof to);
        EXPECT_TRUE(PumpUntil([&] { return !server.texts.empty() && server.texts.back() == "after"; }));
    }
}

TEST(AsyncSocket, RepliesLeaveFromTheAddressTheDatagramWasSentTo)
{
    CAsyncSocket server;
    ASSERT_TRUE(server.Create(0, SOCK_DGRAM, 0));
    CAsyncSocket client;
    ASSERT_TRUE(client.Create(0, SOCK_DGRAM, 0, "127.0.0.1"));
    for (const char* asked : {"127.0.0.1", "127.0.0.2"}) {
        sockaddr_in to = Loopback(server.GetLocalPort());
        inet_pton(AF_INET, asked, &to.sin_addr);
        client.SendTo("ask", 3, reinterpret_cast<const sockaddr*>(&to), sizeof to);
        char buffer[16];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        in_addr local{};
        ASSERT_TRUE(PumpUntil([&] {
            return server.ReceiveFrom(buffer, sizeof buffer, reinterpret_cast<sockaddr*>(&from), &length, 0, &local)
                == 3;
        })) << asked;
        EXPECT_EQ(local.s_addr, to.sin_addr.s_addr) << asked;

        server.SendTo("reply", 5, reinterpret_cast<const sockaddr*>(&from), length, 0,
                      server.SourceToName(from, local));
        sockaddr_in replier{};
        length = sizeof replier;
        ASSERT_TRUE(PumpUntil([&] {
            return client.ReceiveFrom(buffer, sizeof buffer, reinterpret_cast<sockaddr*>(&replier), &length) == 5;
        })) << asked;
        if (SendsFromGivenSource()) {
            EXPECT_EQ(replier.sin_addr.s_addr, to.sin_addr.s_addr) << asked;
        }
    }
}
