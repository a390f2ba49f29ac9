#include "tests/support/TftpPeer.h"

#include "tests/support/EventPump.h"

#include <algorithm>

void PumpEvents(int ms)
{
    PumpUntil([] { return false; }, ms);
}

static std::string Word(std::uint16_t value)
{
    return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

std::string RequestPacket(std::uint16_t opcode, const std::string& name, const std::string& mode)
{
    return Word(opcode) + name + std::string(1, '\0') + mode + std::string(1, '\0');
}

static std::string OptionStrings(const OptionList& options)
{
    std::string strings;
    for (const auto& [name, value] : options)
        strings += name + std::string(1, '\0') + value + std::string(1, '\0');
    return strings;
}

std::string OptionsRequest(std::uint16_t opcode, const std::string& name, const OptionList& options)
{
    return RequestPacket(opcode, name) + OptionStrings(options);
}

std::string OptionsAckPacket(const OptionList& options)
{
    return Word(6) + OptionStrings(options);
}

std::string DataPacket(std::uint16_t block, const std::string& data)
{
    return Word(3) + Word(block) + data;
}

std::string AckPacket(std::uint16_t block)
{
    return Word(4) + Word(block);
}

std::string ErrorPacket(std::uint16_t code, const std::string& message)
{
    return Word(5) + Word(code) + message + std::string(1, '\0');
}

static std::uint16_t WordAt(const std::string& packet, std::size_t position)
{
    if (packet.size() < position + 2)
        return 0xFFFF;
    return static_cast<std::uint16_t>(static_cast<unsigned char>(packet[position]) << 8
                                      | static_cast<unsigned char>(packet[position + 1]));
}

std::uint16_t OpcodeOf(const std::string& packet)
{
    return WordAt(packet, 0);
}

std::uint16_t BlockOf(const std::string& packet)
{
    return WordAt(packet, 2);
}

Peer::Peer(unsigned short serverPort)
{
    m_socket.Create(0, SOCK_DGRAM, 0, "127.0.0.1");
    m_server.sin_family = AF_INET;
    m_server.sin_port = htons(serverPort);
    m_server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
}

Peer::~Peer() = default;

void Peer::Send(const std::string& packet)
{
    m_socket.SendTo(packet.data(), static_cast<int>(packet.size()), reinterpret_cast<sockaddr*>(&m_server),
                    sizeof m_server);
}

std::optional<std::string> Peer::Receive(int timeoutMs)
{
    char buffer[2048];
    int n = -1;
    const auto received = [&] {
        sockaddr_in from{};
        socklen_t length = sizeof from;
        n = m_socket.ReceiveFrom(buffer, sizeof buffer, reinterpret_cast<sockaddr*>(&from), &length);
        return n >= 0;
    };
    if (!PumpUntil(received, timeoutMs))
        return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(n));
}

std::vector<std::string> Peer::Drain(int quietMs)
{
    PumpEvents(quietMs);
    std::vector<std::string> packets;
    while (auto packet = Receive(0))
        packets.push_back(*packet);
    return packets;
}

unsigned short Peer::Port() const
{
    return m_socket.GetLocalPort();
}

std::optional<std::string> Peer::Download(const std::string& name, std::vector<int>* lengths)
{
    Send(RequestPacket(1, name));
    std::string content;
    while (auto packet = Receive()) {
        if (OpcodeOf(*packet) != 3)
            return std::nullopt;
        if (lengths)
            lengths->push_back(static_cast<int>(packet->size()));
        content += packet->substr(4);
        Send(AckPacket(BlockOf(*packet)));
        if (packet->size() < 516) {
            PumpEvents(1);
            return content;
        }
    }
    return std::nullopt;
}

// 0 for the ACK of block, the code of an ERROR, -1 for anything else.
static int AckResult(const std::optional<std::string>& reply, std::uint16_t block)
{
    if (reply && OpcodeOf(*reply) == 5)
        return BlockOf(*reply);
    return reply == AckPacket(block) ? 0 : -1;
}

int Peer::Upload(const std::string& name, const std::string& bytes)
{
    Send(RequestPacket(2, name));
    if (const int result = AckResult(Receive(), 0))
        return result;
    for (std::size_t block = 1, offset = 0;; ++block, offset += 512) {
        const std::string chunk = bytes.substr(std::min(offset, bytes.size()), 512);
        Send(DataPacket(static_cast<std::uint16_t>(block), chunk));
        if (const int result = AckResult(Receive(), static_cast<std::uint16_t>(block)))
            return result;
        if (chunk.size() < 512)
            return 0;
    }
}
