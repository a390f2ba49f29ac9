#pragma once
// Where a datagram came from and where it arrived: the peer's address and
// port, in either address family, with the local address the datagram was
// sent to and the interface it came in through. The service only compares,
// hashes and prints endpoints; the socket layer fills them in and reads them
// (platform/SocketAddress.h).
#include <cstddef>
#include <cstdint>
#include <string>

class Endpoint {
public:
    // Whether the peer speaks IPv4 (an IPv4-mapped address on a socket of
    // both families): its datagrams carry IPv4's headers.
    bool IsIPv4() const;
    // The same peer: address, port and, for a link-local one, its scope.
    bool SamePeer(const Endpoint& other) const;
    std::size_t PeerHash() const;
    // The peer as the record writes it: 192.0.2.7:1234 or [2001:db8::7]:1234.
    std::string PeerText() const;
    // The interface the datagram came in through; 0 when unknown.
    unsigned InterfaceIndex() const { return m_interfaceIndex; }
    // This endpoint with the local address left to the kernel's choice.
    Endpoint WithKernelChosenSource() const;

private:
    friend struct EndpointAccess;

    // IPv6 bytes, network order; an IPv4 address as ::ffff:a.b.c.d.
    std::uint8_t m_peer[16] = {};
    std::uint16_t m_port = 0; // host order
    std::uint32_t m_scope = 0;
    // All zeros: the kernel chooses the address replies leave from.
    std::uint8_t m_local[16] = {};
    unsigned m_interfaceIndex = 0;
};

// For the transfer table's index of peers.
struct SamePeer {
    bool operator()(const Endpoint& a, const Endpoint& b) const { return a.SamePeer(b); }
};
struct PeerHash {
    std::size_t operator()(const Endpoint& e) const { return e.PeerHash(); }
};
