// Malformed, hostile and unplaceable datagrams: each is answered as the
// service defines, and the service goes on serving afterwards.
#include "support/ServiceHarness.h"
#include "support/StandardErrorCapture.h"

#include "platform/MessageBox.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

static void ExpectStillServing(ServiceHarness& service)
{
    service.PutFile(0, "probe", "still here");
    Peer peer(service.port);
    EXPECT_EQ(peer.Download("probe"), "still here");
}

TEST(BadInput, ShortAndOversizedDatagrams)
{
    const struct {
        std::string datagram;
        std::vector<std::string> boxes;
    } cases[] = {
        {std::string(), {}},
        {std::string(1, '\0'), {"Unknown Opcode aa"}}, // opcode 0x00AA from the fill bytes
        {std::string("\0\4", 2), {}},                  // ACK 0xAAAA with no transfer
        {std::string("\0\3\1", 3), {}},                // DATA shorter than its header
        {std::string("\0\5", 2), {"Received Error #aaaa for "}},
        {RequestPacket(2, std::string(1019, 'n')), {}}, // 1025 bytes: dropped whole
    };
    for (const auto& c : cases) {
        ServiceHarness service;
        Peer peer(service.port);
        peer.Send(c.datagram);
        EXPECT_TRUE(peer.Drain().empty()) << c.datagram.size();
        EXPECT_EQ(service.boxes, c.boxes) << c.datagram.size();
        EXPECT_TRUE(service.status.texts.empty()) << c.datagram.size();
        ExpectStillServing(service);
    }
}

TEST(BadInput, ShortDataLeavesWriteTransferAlone)
{
    ServiceHarness service;
    Peer peer(service.port);
    peer.Send(RequestPacket(2, "w"));
    ASSERT_EQ(peer.Receive(), AckPacket(0));
    for (const char* shortData : {"\0\3", "\0\3\0"}) {
        peer.Send(std::string(shortData, std::strlen(shortData + 1) + 2));
        EXPECT_TRUE(peer.Drain().empty());
    }
    EXPECT_EQ(service.status.texts, std::vector<std::string>{"Write File for w"});
    EXPECT_EQ(service.TableSize(), 1);
    EXPECT_EQ(service.server.Head()->block, 0);
}

TEST(BadInput, StringsWithoutZeroByteEndAtDatagramEnd)
{
    ServiceHarness service;
    service.PutFile(0, "name", "served");
    Peer peer(service.port);

    peer.Send(std::string("\0\1name", 6));
    auto data = peer.Receive();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->substr(4), "served");
    peer.Send(AckPacket(1));

    peer.Send(std::string("\0\2made", 6));
    EXPECT_EQ(peer.Receive(), AckPacket(0));
    EXPECT_EQ(service.status.Last(), "Write File for made");
    peer.Send(DataPacket(1, "m"));
    EXPECT_EQ(peer.Receive(), AckPacket(1));
    EXPECT_EQ(ReadWholeFile(service.WritePath("made")), "m");

    peer.Send(std::string("\0\5\0\1oops", 8));
    peer.Drain();
    EXPECT_EQ(service.boxes, std::vector<std::string>{"Received Error #1 for oops"});
}

TEST(BadInput, UnknownOpcodesAreShownInBox)
{
    ServiceHarness service;
    Peer peer(service.port);
    for (const std::string& datagram : {std::string("\0\0\0\1", 4), std::string("\0\6xyz", 5), std::string("\xff\xff")})
        peer.Send(datagram);
    EXPECT_TRUE(peer.Drain().empty());
    EXPECT_EQ(service.boxes, (std::vector<std::string>{"Unknown Opcode 0", "Unknown Opcode 6", "Unknown Opcode ffff"}));
    ExpectStillServing(service);
}

TEST(BadInput, UnsafeNamesAreRefused)
{
    ServiceHarness service;
    // Files an unchecked join would reach from search0 and from write.
    WriteWholeFile(service.root.FilePath("x"), "outside");
    for (const std::string name : {"../x", "a/../../x", "..\\x", "/../x", "\\\\server\\x", "C:x", "sub/..", ".."}) {
        for (std::uint16_t opcode : {1, 2}) {
            Peer peer(service.port);
            peer.Send(RequestPacket(opcode, name));
            auto reply = peer.Receive();
            EXPECT_EQ(reply, ErrorPacket(2, "Access violation")) << name;
            EXPECT_EQ(reply->size(), 21u);
            EXPECT_EQ(service.status.Last(), "Rejected Unsafe Name " + name);
            EXPECT_EQ(service.TableSize(), 0);
        }
    }
    EXPECT_EQ(ReadWholeFile(service.root.FilePath("x")), "outside");
    // Dots that are not a parent step are ordinary names, and leading
    // separators only say the name starts at its directory.
    service.PutFile(0, "..hidden", "a");
    service.PutFile(0, "a..b", "b");
    Peer peer(service.port);
    EXPECT_EQ(peer.Download("..hidden"), "a");
    EXPECT_EQ(peer.Download("/a..b"), "b");
    EXPECT_EQ(peer.Download("/\\//a..b"), "b");
}

TEST(BadInput, OnlyRegularFilesAreServedOrWritten)
{
    ServiceHarness service;
    std::filesystem::create_directory(service.SearchDir(0) + "/dir");
    service.PutFile(1, "dir", "regular in second");
    std::filesystem::create_directory(service.WritePath("dir"));
    Peer peer(service.port);

    EXPECT_EQ(peer.Download("dir"), "regular in second");
    peer.Send(RequestPacket(1, ""));
    EXPECT_EQ(peer.Receive(), ErrorPacket(1, "File not found"));
    for (const char* name : {"dir", ""}) {
        peer.Send(RequestPacket(2, name));
        EXPECT_EQ(peer.Receive(), ErrorPacket(3, "File Open Failed")) << name;
    }
    EXPECT_EQ(service.TableSize(), 0);
}

TEST(BadInput, AtMostFourBoxesOpenAtOnce)
{
    ServiceHarness service;
    int open = 0;
    int mostOpen = 0;
    int shown = 0;
    // Each box stays open for a while, running a loop as a real one does.
    AfxSetMessageBoxSeam([&](const std::string&, const std::string&) {
        ++shown;
        mostOpen = std::max(mostOpen, ++open);
        PumpEvents(200);
        --open;
        return IDOK;
    });
    Peer peer(service.port);
    std::vector<std::string> record;
    {
        StandardErrorCapture capture;
        for (int i = 0; i < 10; ++i)
            peer.Send(ErrorPacket(static_cast<std::uint16_t>(i), "flood"));
        PumpEvents(1200);
        record = capture.Lines();
    }
    EXPECT_EQ(mostOpen, 4);
    EXPECT_EQ(shown, 4);
    // Every one is said on the record; those beyond the four boxes on the status line.
    EXPECT_EQ(std::count_if(
                  record.begin(), record.end(),
                  [](const std::string& line) { return line.find(" message: Received Error #") != std::string::npos; }),
              10);
    EXPECT_EQ(service.status.Last(), "Received Error #9 for flood");
    ExpectStillServing(service);
}
