// The socket layer on Winsock: the port is held exclusively, so a second
// instance cannot bind it, not even through SO_REUSEADDR, which Windows would
// otherwise honour over a socket that did not ask for it.
#include "platform/AsyncSocket.h"

#include <gtest/gtest.h>

TEST(AsyncSocket, NoSocketTakesTheBoundPortNotEvenOneAskingToReuseIt)
{
    CAsyncSocket held;
    ASSERT_TRUE(held.Create(0));
    for (const char* address : {"0.0.0.0", "127.0.0.1"}) {
        const SOCKET other = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        ASSERT_NE(other, INVALID_SOCKET);
        const BOOL reuse = TRUE;
        EXPECT_EQ(setsockopt(other, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse), 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(held.GetLocalPort());
        inet_pton(AF_INET, address, &local.sin_addr);
        EXPECT_NE(bind(other, reinterpret_cast<const sockaddr*>(&local), sizeof local), 0) << address;
        closesocket(other);
    }
}
