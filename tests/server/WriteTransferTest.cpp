// Write requests through a real loopback socket: acknowledgements, status
// texts, what reaches the disk, and the refusals.
#include "support/ServiceHarness.h"

#include "platform/TemporaryUpload.h"

#include <filesystem>
#include <gtest/gtest.h>

TEST(WriteTransfer, WritesBlocksAndAcknowledgesEach)
{
    ServiceHarness service;
    const std::string bytes = RandomBytes(700, 5);
    Peer peer(service.port);
    peer.Send(RequestPacket(2, "up.bin"));
    EXPECT_EQ(peer.Receive(), AckPacket(0));
    EXPECT_EQ(service.status.Last(), "Write File for up.bin");
    peer.Send(DataPacket(1, bytes.substr(0, 512)));
    EXPECT_EQ(peer.Receive(), AckPacket(1));
    EXPECT_EQ(service.status.Last(), "Write Block 1 512 bytes");
    peer.Send(DataPacket(2, bytes.substr(512)));
    EXPECT_EQ(peer.Receive(), AckPacket(2));
    EXPECT_EQ(service.status.Last(), "Finished");
    EXPECT_EQ(service.TableSize(), 0);
    EXPECT_EQ(ReadWholeFile(service.WritePath("up.bin")), bytes);
}

TEST(WriteTransfer, EndsOnEmptyFinalBlockAndOnFullBlocksOverBlockSize)
{
    ServiceHarness service;
    Peer peer(service.port);
    peer.Send(RequestPacket(2, "w"));
    ASSERT_EQ(peer.Receive(), AckPacket(0));
    const std::string wide = RandomBytes(600, 6); // 604 bytes: a full block, not the last
    peer.Send(DataPacket(1, wide));
    EXPECT_EQ(peer.Receive(), AckPacket(1));
    EXPECT_EQ(service.status.Last(), "Write Block 1 600 bytes");
    peer.Send(DataPacket(2, ""));
    EXPECT_EQ(peer.Receive(), AckPacket(2));
    EXPECT_EQ(service.status.Last(), "Finished");
    EXPECT_EQ(service.TableSize(), 0);
    EXPECT_EQ(ReadWholeFile(service.WritePath("w")), wide);
}

TEST(WriteTransfer, ReplacesExistingFileWholeOnlyOnceComplete)
{
    ServiceHarness service;
    const std::string path = service.WritePath("old");
    WriteWholeFile(path, "previous content");
    service.searchDirs = {service.writeDir};
    Peer first(service.port), second(service.port), reader(service.port);
    for (Peer* peer : {&first, &second}) {
        peer->Send(RequestPacket(2, "/old")); // leading separators are dropped
        ASSERT_EQ(peer->Receive(), AckPacket(0));
        EXPECT_EQ(service.status.Last(), "Write File for /old");
    }
    second.Send(DataPacket(1, std::string(512, '2')));
    ASSERT_EQ(second.Receive(), AckPacket(1));
    reader.Send(RequestPacket(1, "old")); // a download that starts meanwhile gets the old file
    EXPECT_EQ(reader.Receive(), DataPacket(1, "previous content"));
    // Its end lets go of the file: not every system replaces a file held open.
    reader.Send(AckPacket(1));
    EXPECT_EQ(ReadWholeFile(path), "previous content");

    // The partial uploads are their owner's alone, and no request reaches
    // them, nor one of their names folders down.
    const std::vector<std::string> entries = service.WriteDirEntries();
    ASSERT_EQ(entries.size(), 3u);
    std::filesystem::create_directories(service.WritePath("a/b"));
    for (const std::string& temporary : {entries[0], entries[1]}) {
        EXPECT_TRUE(IsTemporaryUploadName(temporary)) << temporary;
        WriteWholeFile(service.WritePath("a/b/" + temporary), "partial");
        for (const std::string& asked : {temporary, "\\" + temporary, "a/b/" + temporary, "a\\b/" + temporary}) {
            reader.Send(RequestPacket(1, asked));
            EXPECT_EQ(reader.Receive(), ErrorPacket(1, "File not found")) << asked;
            reader.Send(RequestPacket(2, asked));
            EXPECT_EQ(reader.Receive(), ErrorPacket(2, "Access violation")) << asked;
        }
        EXPECT_EQ(ReadWholeFile(service.WritePath("a/b/" + temporary)), "partial");
    }

    // Two uploads of one name: each lands whole, the last to finish wins.
    first.Send(DataPacket(1, "one"));
    EXPECT_EQ(first.Receive(), AckPacket(1));
    EXPECT_EQ(ReadWholeFile(path), "one");
    second.Send(DataPacket(2, "two"));
    EXPECT_EQ(second.Receive(), AckPacket(2));
    EXPECT_EQ(ReadWholeFile(path), std::string(512, '2') + "two");
    EXPECT_EQ(service.WriteDirEntries(), (std::vector<std::string>{"a", "old"}));
}

TEST(WriteTransfer, IgnoresRepeatedAndUnmatchedData)
{
    ServiceHarness service;
    Peer peer(service.port);
    Peer stranger(service.port);
    peer.Send(RequestPacket(2, "w"));
    ASSERT_EQ(peer.Receive(), AckPacket(0));
    peer.Send(DataPacket(1, std::string(512, 'x')));
    ASSERT_EQ(peer.Receive(), AckPacket(1));
    const auto textsBefore = service.status.texts;

    peer.Send(DataPacket(1, std::string(512, 'y')));    // repeated
    peer.Send(DataPacket(3, std::string(512, 'z')));    // ahead of its turn
    stranger.Send(DataPacket(2, std::string(10, 's'))); // no transfer of its own
    EXPECT_TRUE(peer.Drain().empty());
    EXPECT_TRUE(stranger.Drain().empty());
    EXPECT_EQ(service.status.texts, textsBefore);
    EXPECT_TRUE(service.boxes.empty());

    peer.Send(DataPacket(2, "end"));
    EXPECT_EQ(peer.Receive(), AckPacket(2));
    EXPECT_EQ(ReadWholeFile(service.WritePath("w")), std::string(512, 'x') + "end");
}

TEST(WriteTransfer, TwoRequestsFromSamePeerTakeBlocksNewestFirst)
{
    ServiceHarness service;
    Peer peer(service.port);
    peer.Send(RequestPacket(2, "older"));
    ASSERT_EQ(peer.Receive(), AckPacket(0));
    peer.Send(RequestPacket(2, "newer"));
    ASSERT_EQ(peer.Receive(), AckPacket(0));
    peer.Send(DataPacket(1, std::string(512, 'n')));
    EXPECT_EQ(peer.Receive(), AckPacket(1));
    peer.Send(DataPacket(1, "o")); // only the older one still expects 1, and it ends first
    EXPECT_EQ(peer.Receive(), AckPacket(1));
    peer.Send(DataPacket(2, "N")); // the newer one outlives it
    EXPECT_EQ(peer.Receive(), AckPacket(2));
    EXPECT_EQ(ReadWholeFile(service.WritePath("newer")), std::string(512, 'n') + "N");
    EXPECT_EQ(ReadWholeFile(service.WritePath("older")), "o");
}

TEST(WriteTransfer, BlockNumbersRollOverPast65535)
{
    ServiceHarness service;
    Peer peer(service.port);
    peer.Send(RequestPacket(2, "w"));
    ASSERT_EQ(peer.Receive(), AckPacket(0));
    service.server.Head()->block = 65534;
    peer.Send(DataPacket(65535, std::string(512, 'x')));
    EXPECT_EQ(peer.Receive(), AckPacket(65535));
    peer.Send(DataPacket(0, std::string(512, 'y')));
    EXPECT_EQ(peer.Receive(), AckPacket(0));
    peer.Send(DataPacket(1, "z"));
    EXPECT_EQ(peer.Receive(), AckPacket(1));
    EXPECT_EQ(service.status.Last(), "Finished");
    EXPECT_EQ(ReadWholeFile(service.WritePath("w")), std::string(512, 'x') + std::string(512, 'y') + "z");
}

TEST(WriteTransfer, RefusesWhenDisabledOrFileCannotBeCreated)
{
    ServiceHarness service;
    Peer peer(service.port);
    service.enableWrite = 0;
    for (const char* name : {"w", "../w"}) { // the enable test comes before the name test
        peer.Send(RequestPacket(2, name));
        auto reply = peer.Receive();
        EXPECT_EQ(reply, ErrorPacket(2, "Write not permitted"));
        EXPECT_EQ(reply->size(), 24u);
        EXPECT_EQ(service.status.Last(), std::string("Write Rejected for ") + name);
    }
    service.enableWrite = 1;
    for (const std::string& dir : {std::string(), service.writeDir + "/missing"}) {
        service.writeDir = dir;
        peer.Send(RequestPacket(2, "w"));
        auto reply = peer.Receive();
        EXPECT_EQ(reply, ErrorPacket(3, "File Open Failed"));
        EXPECT_EQ(reply->size(), 21u);
        EXPECT_EQ(service.status.Last(), "File Open Failedfor w");
    }
    EXPECT_EQ(service.TableSize(), 0);
    EXPECT_FALSE(std::filesystem::exists(service.root.FilePath("write/w")));
}
