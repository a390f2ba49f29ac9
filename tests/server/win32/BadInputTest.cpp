// Names that mean something else to Windows: devices, streams, names that
// Windows trims, and temporary names in another case.
#include "tests/server/support/ServiceHarness.h"

#include <gtest/gtest.h>

TEST(BadInput, DeviceStreamAndTrimmedNamesAreRefused)
{
    ServiceHarness service;
    Peer peer(service.port);
    const struct {
        std::uint16_t opcode;
        const char* name;
        std::string reply;
        const char* status;
    } cases[] = {
        {1, "CON", ErrorPacket(1, "File not found"), "Unknown File CON"},
        {1, "a.txt:stream", ErrorPacket(1, "File not found"), "Unknown File a.txt:stream"},
        {2, "nul.txt", ErrorPacket(2, "Access violation"), "Rejected Unsafe Name nul.txt"},
        {2, "a:b", ErrorPacket(2, "Access violation"), "Rejected Unsafe Name a:b"},
        {2, "trailing.", ErrorPacket(2, "Access violation"), "Rejected Unsafe Name trailing."},
        {2, ".x.UPLOAD-0123456789ABCDEF", ErrorPacket(2, "Access violation"),
         "Rejected Unsafe Name .x.UPLOAD-0123456789ABCDEF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        peer.Send(RequestPacket(c.opcode, c.name));
        EXPECT_EQ(peer.Receive(), c.reply);
        EXPECT_EQ(service.status.Last(), c.status);
    }
    EXPECT_TRUE(service.WriteDirEntries().empty());
}
