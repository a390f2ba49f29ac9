#include "platform/SocketAddress.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr std::uint8_t kMappedPrefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};

in6_addr ToIn6(const std::uint8_t (&bytes)[16])
{
    in6_addr address{};
    std::memcpy(&address, bytes, sizeof bytes);
    return address;
}

void FromIn6(const in6_addr& address, std::uint8_t (&bytes)[16])
{
    std::memcpy(bytes, &address, sizeof bytes);
}

bool AllZero(const std::uint8_t (&bytes)[16])
{
    for (std::uint8_t b : bytes)
        if (b != 0)
            return false;
    return true;
}

} // namespace

in6_addr MappedIPv4(in_addr address)
{
    in6_addr mapped{};
    std::memcpy(&mapped, kMappedPrefix, sizeof kMappedPrefix);
    std::memcpy(reinterpret_cast<std::uint8_t*>(&mapped) + 12, &address, 4);
    return mapped;
}

bool IsMappedIPv4(const in6_addr& address)
{
    return std::memcmp(&address, kMappedPrefix, sizeof kMappedPrefix) == 0;
}

in_addr UnmappedIPv4(const in6_addr& address)
{
    in_addr plain{};
    std::memcpy(&plain, reinterpret_cast<const std::uint8_t*>(&address) + 12, 4);
    return plain;
}

bool Endpoint::IsIPv4() const
{
    return std::memcmp(m_peer, kMappedPrefix, sizeof kMappedPrefix) == 0;
}

bool Endpoint::SamePeer(const Endpoint& other) const
{
    return m_port == other.m_port && m_scope == other.m_scope && std::memcmp(m_peer, other.m_peer, 16) == 0;
}

std::size_t Endpoint::PeerHash() const
{
    std::uint64_t high;
    std::uint64_t low;
    std::memcpy(&high, m_peer, sizeof high);
    std::memcpy(&low, m_peer + 8, sizeof low);
    std::uint64_t hash = (low ^ (std::uint64_t{m_port} << 32 | m_scope)) * 0x9E3779B97F4A7C15ull;
    hash = (hash ^ high ^ (hash >> 29)) * 0xC2B2AE3D27D4EB4Full;
    return static_cast<std::size_t>(hash ^ (hash >> 32));
}

std::string Endpoint::PeerText() const
{
    char address[INET6_ADDRSTRLEN] = "";
    char text[INET6_ADDRSTRLEN + 24];
    const in6_addr full = ToIn6(m_peer);
    if (IsIPv4()) {
        const in_addr plain = UnmappedIPv4(full);
        inet_ntop(AF_INET, &plain, address, sizeof address);
        std::snprintf(text, sizeof text, "%s:%u", address, unsigned{m_port});
    } else if (inet_ntop(AF_INET6, &full, address, sizeof address) && m_scope) {
        std::snprintf(text, sizeof text, "[%s%%%lu]:%u", address, static_cast<unsigned long>(m_scope),
                      unsigned{m_port});
    } else {
        std::snprintf(text, sizeof text, "[%s]:%u", address, unsigned{m_port});
    }
    return text;
}

Endpoint Endpoint::WithKernelChosenSource() const
{
    Endpoint e = *this;
    std::memset(e.m_local, 0, sizeof e.m_local);
    return e;
}

Endpoint EndpointAccess::From(const sockaddr* from, socklen_t length, const in6_addr& local, unsigned interfaceIndex)
{
    Endpoint e;
    if (from->sa_family == AF_INET && length >= static_cast<socklen_t>(sizeof(sockaddr_in))) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(from);
        FromIn6(MappedIPv4(v4->sin_addr), e.m_peer);
        e.m_port = ntohs(v4->sin_port);
    } else if (from->sa_family == AF_INET6 && length >= static_cast<socklen_t>(sizeof(sockaddr_in6))) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(from);
        FromIn6(v6->sin6_addr, e.m_peer);
        e.m_port = ntohs(v6->sin6_port);
        e.m_scope = v6->sin6_scope_id;
    }
    FromIn6(local, e.m_local);
    e.m_interfaceIndex = interfaceIndex;
    return e;
}

Endpoint EndpointAccess::FromText(const char* address, unsigned short port)
{
    Endpoint e;
    in_addr plain{};
    in6_addr full{};
    if (inet_pton(AF_INET, address, &plain) == 1)
        full = MappedIPv4(plain);
    else if (inet_pton(AF_INET6, address, &full) != 1)
        return e;
    FromIn6(full, e.m_peer);
    e.m_port = port;
    return e;
}

bool EndpointAccess::SocketFamilyOf(const char* address, bool* ipv6)
{
    in_addr plain{};
    in6_addr full{};
    *ipv6 = inet_pton(AF_INET, address, &plain) != 1;
    return !*ipv6 || inet_pton(AF_INET6, address, &full) == 1;
}

sockaddr_in6 EndpointAccess::PeerAsIPv6(const Endpoint& e)
{
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_port = htons(e.m_port);
    address.sin6_addr = ToIn6(e.m_peer);
    address.sin6_scope_id = e.m_scope;
    return address;
}

bool EndpointAccess::PeerAsIPv4(const Endpoint& e, sockaddr_in* address)
{
    if (!e.IsIPv4())
        return false;
    *address = sockaddr_in{};
    address->sin_family = AF_INET;
    address->sin_port = htons(e.m_port);
    address->sin_addr = UnmappedIPv4(ToIn6(e.m_peer));
    return true;
}

socklen_t EndpointAccess::PeerFor(const Endpoint& e, bool ipv6Socket, sockaddr_in6* address)
{
    if (ipv6Socket) {
        *address = PeerAsIPv6(e);
        return sizeof *address;
    }
    sockaddr_in plain{};
    if (!PeerAsIPv4(e, &plain))
        return 0;
    std::memcpy(address, &plain, sizeof plain);
    return sizeof plain;
}

in6_addr EndpointAccess::Local(const Endpoint& e)
{
    return ToIn6(e.m_local);
}

bool EndpointAccess::KernelChoosesSource(const Endpoint& e)
{
    return AllZero(e.m_local);
}
