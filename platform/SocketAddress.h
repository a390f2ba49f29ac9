#pragma once
// Between endpoints and the operating system's socket addresses, for the
// socket layers and their tests.
#include "platform/Endpoint.h"
#include "platform/NetTypes.h"

struct EndpointAccess {
    // The endpoint of a datagram from `from` (IPv4 or IPv6) that arrived on
    // local (IPv6 form, IPv4 ones mapped; all zeros when unknown) through the
    // interface with this index.
    static Endpoint From(const sockaddr* from, socklen_t length, const in6_addr& local = {},
                         unsigned interfaceIndex = 0);
    // The endpoint of a peer given as text (IPv4 or IPv6, without scope);
    // an empty endpoint for text that is neither.
    static Endpoint FromText(const char* address, unsigned short port);
    // Which family of socket binds address (IPv4 or IPv6 text): true in
    // *ipv6 for IPv6; false for text that is neither.
    static bool SocketFamilyOf(const char* address, bool* ipv6);
    // The peer as a socket of one family addresses it, in address: an IPv6
    // socket names an IPv4 peer by its mapped address. The address's length,
    // or 0 when such a socket cannot reach the peer (an IPv6 peer from an
    // IPv4 socket).
    static socklen_t PeerFor(const Endpoint& e, bool ipv6Socket, sockaddr_in6* address);
    // The peer as an IPv6 socket address, an IPv4 peer mapped.
    static sockaddr_in6 PeerAsIPv6(const Endpoint& e);
    // The peer as an IPv4 socket address; false for a peer of IPv6 only.
    static bool PeerAsIPv4(const Endpoint& e, sockaddr_in* address);
    // The local address replies leave from, IPv4 ones mapped; all zeros for
    // the kernel's choice.
    static in6_addr Local(const Endpoint& e);
    static bool KernelChoosesSource(const Endpoint& e);
};

// An IPv4 address as IPv6 maps it (::ffff:a.b.c.d).
in6_addr MappedIPv4(in_addr address);
bool IsMappedIPv4(const in6_addr& address);
in_addr UnmappedIPv4(const in6_addr& address);
