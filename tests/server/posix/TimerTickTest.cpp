// The tick that lets a burst of silent requests go, with this process short
// of descriptors meanwhile.
#include "support/SoftLimit.h"
#include "tests/server/support/OpenFileCount.h"
#include "tests/server/support/ServiceHarness.h"
#include "tests/server/support/StandardErrorCapture.h"

#include <algorithm>
#include <gtest/gtest.h>

TEST(TimerTick, BurstOfSilentRequestsIsLetGoAndServiceServesAgain)
{
    ServiceHarness service;
    service.PutFile(0, "f", RandomBytes(700, 12));
    const int filesBefore = OpenFileCount();
    std::vector<std::string> replies;
    {
        StandardErrorCapture record; // thousands of lines, one per request
        SoftLimit limit(RLIMIT_NOFILE, filesBefore + 500);
        Peer silent(service.port);
        for (int i = 0; i < 3000; ++i) {
            std::string name = i % 2 ? "w" : "f";
            if (i % 2)
                name += std::to_string(i);
            silent.Send(RequestPacket(i % 2 ? 2 : 1, name));
            if (i % 20 == 19)
                for (const std::string& reply : silent.Drain(2))
                    replies.push_back(reply);
        }
        for (const std::string& reply : silent.Drain())
            replies.push_back(reply);
        for (int tick = 0; tick < 24; ++tick)
            service.server.OnTimerTick();
    }
    // Out of descriptors, a request is told so, never that its file is missing.
    EXPECT_GT(replies.size(), 2000u);
    EXPECT_GT(std::count(replies.begin(), replies.end(), ErrorPacket(0, "Too many open files")), 0);
    EXPECT_EQ(std::count(replies.begin(), replies.end(), ErrorPacket(1, "File not found")), 0);
    EXPECT_EQ(service.TableSize(), 0);
    EXPECT_EQ(OpenFileCount(), filesBefore);
    EXPECT_EQ(service.WriteDirEntries(), std::vector<std::string>{});
    Peer peer(service.port);
    EXPECT_TRUE(peer.Download("f"));
    EXPECT_EQ(peer.Upload("w", "after the burst"), 0);
}
