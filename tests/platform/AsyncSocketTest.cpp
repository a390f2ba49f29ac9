// The socket layer: binding, one datagram per receive, oversized datagrams
// dropped whole, notifications through the event loop, and queued sends.
#include "platform/AsyncSocket.h"
#include "platform/SocketAddress.h"
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

Endpoint Loopback(unsigned short port, const char* address = "127.0.0.1")
{
    return EndpointAccess::FromText(address, port);
}

class RecordingSocket : public CAsyncSocket {
public:
    void OnReceive(int) override
    {
        char buffer[1024];
        results.push_back(ReceiveFrom(buffer, sizeof buffer, nullptr));
        if (results.back() <= 0)
            return;
        texts.emplace_back(buffer, static_cast<std::size_t>(results.back()));
        lastTextAt = Clock::now();
        if (Clock::now() < feedUntil) {
            SendTo(buffer, results.back(), Loopback(GetLocalPort()));
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
    Endpoint to;
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
    const std::string sizes[] = {"first", std::string(1025, 'x'), std::string(1024, 'y'), "", "last"};
    for (const std::string& datagram : sizes)
        EXPECT_EQ(client.SendTo(datagram.data(), static_cast<int>(datagram.size()), to),
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

// One socket serves both families: an IPv4 peer is reported as the record
// writes IPv4 addresses, never in its IPv4-mapped form.
TEST(AsyncSocket, ReportsSourceAddressAndNothingWaiting)
{
    CAsyncSocket server;
    ASSERT_TRUE(server.Create(0, SOCK_DGRAM, 0));
    EXPECT_FALSE(server.IPv4Only());
    char buffer[16];
    Endpoint from;
    EXPECT_LT(server.ReceiveFrom(buffer, sizeof buffer, &from), 0);
    for (const char* loopback : {"127.0.0.1", "::1"}) {
        CAsyncSocket client;
        ASSERT_TRUE(client.Create(0, SOCK_DGRAM, 0, loopback));
        client.SendTo("hi", 2, Loopback(server.GetLocalPort(), loopback));
        EXPECT_TRUE(PumpUntil([&] { return server.ReceiveFrom(buffer, sizeof buffer, &from) == 2; })) << loopback;
        EXPECT_EQ(from.PeerText(), Loopback(client.GetLocalPort(), loopback).PeerText());
        EXPECT_EQ(from.IsIPv4(), loopback[0] != ':');
    }
    EXPECT_EQ(Loopback(69, "::ffff:127.0.0.1").PeerText(), "127.0.0.1:69");
    EXPECT_EQ(Loopback(69, "::1").PeerText(), "[::1]:69");

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
                client.SendTo("ack", 3, to);
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

        client.SendTo("after", 5, to);
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
        const Endpoint to = Loopback(server.GetLocalPort(), asked);
        client.SendTo("ask", 3, to);
        char buffer[16];
        Endpoint from;
        ASSERT_TRUE(PumpUntil([&] { return server.ReceiveFrom(buffer, sizeof buffer, &from) == 3; })) << asked;
        const in6_addr local = EndpointAccess::Local(from);
        EXPECT_EQ(UnmappedIPv4(local).s_addr, UnmappedIPv4(EndpointAccess::PeerAsIPv6(to).sin6_addr).s_addr) << asked;

        server.SendTo("reply", 5, server.ReplyEndpointFor(from));
        Endpoint replier;
        ASSERT_TRUE(PumpUntil([&] { return client.ReceiveFrom(buffer, sizeof buffer, &replier) == 5; })) << asked;
        if (SendsFromGivenSource()) {
            EXPECT_EQ(replier.PeerText(), to.PeerText()) << asked;
        }
    }
}
