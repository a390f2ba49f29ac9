// The socket layer on Winsock: the port is held exclusively, in both address
// families, so a second instance cannot bind it, not even through
// SO_REUSEADDR, which Windows would otherwise honour over a socket that did
// not ask for it.
#include "platform/AsyncSocket.h"
#include "platform/SocketAddress.h"

#include <cstring>
#include <gtest/gtest.h>

TEST(AsyncSocket, NoSocketTakesTheBoundPortNotEvenOneAskingToReuseIt)
{
    CAsyncSocket held;
    ASSERT_TRUE(held.Create(0));
    for (const char* address : {"0.0.0.0", "127.0.0.1", "::", "::1"}) {
        SCOPED_TRACE(address);
        sockaddr_in6 local{}; // room for either family
        int length = sizeof local;
        if (inet_pton(AF_INET6, address, &local.sin6_addr) == 1) {
            local.sin6_family = AF_INET6;
        } else {
            sockaddr_in plain{};
            plain.sin_family = AF_INET;
            ASSERT_EQ(inet_pton(AF_INET, address, &plain.sin_addr), 1);
            std::memcpy(&local, &plain, sizeof plain);
            length = sizeof plain;
        }
        // The port sits at the same place in both families' addresses.
        local.sin6_port = htons(held.GetLocalPort());
        const SOCKET other = socket(local.sin6_family, SOCK_DGRAM, IPPROTO_UDP);
        ASSERT_NE(other, INVALID_SOCKET);
        const BOOL reuse = TRUE;
        EXPECT_EQ(setsockopt(other, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse), 0);
        EXPECT_NE(bind(other, reinterpret_cast<const sockaddr*>(&local), length), 0);
        closesocket(other);
    }
}
