#include "tests/support/TftpPeer.h"

#include "platform/SocketAddress.h"
#include "tests/support/EventPump.h"

#include <algorithm>
#include <cstdlib>

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

const char* TestLoopback()
{
    const char* family = std::getenv("VANTREL_TEST_FAMILY");
    return family && std::string(family) == "ipv6" ? "::1" : "127.0.0.1";
}

Peer::Peer(unsigned short serverPort, const char* loopback)
    : m_loopback(loopback),
      m_server(EndpointAccess::FromText(loopback, serverPort))
{
    m_socket.Create(0, SOCK_DGRAM, 0, loopback);
}

Peer::~Peer() = default;

void Peer::Send(const std::string& packet)
{
    m_socket.SendTo(packet.data(), static_cast<int>(packet.size()), m_server);
}

std::optional<std::string> Peer::Receive(int timeoutMs)
{
    char buffer[2048];
    int n = -1;
    const auto received = [&] {
        n = m_socket.ReceiveFrom(buffer, sizeof buffer, nullptr);
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

std::string Peer::RecordName() const
{
    return EndpointAccess::FromText(m_loopback.c_str(), Port()).PeerText();
}

// The block size and window of the options asked, or those of a request
// without options.
static std::pair<std::size_t, std::uint16_t> BlocksOf(const OptionList& options)
{
    std::pair<std::size_t, std::uint16_t> blocks{512, 1};
    for (const auto& [name, value] : options) {
        if (name == "blksize")
            blocks.first = std::stoul(value);
        if (name == "windowsize")
            blocks.second = static_cast<std::uint16_t>(std::stoul(value));
    }
    return blocks;
}

// Sends the request; true once its answer is the one that starts the transfer.
bool Peer::Request(std::uint16_t opcode, const std::string& name, const OptionList& options)
{
    Send(options.empty() ? RequestPacket(opcode, name) : OptionsRequest(opcode, name, options));
    if (options.empty())
        return true;
    if (Receive() != OptionsAckPacket(options))
        return false;
    if (opcode == 1)
        Send(AckPacket(0));
    return true;
}

std::optional<std::string> Peer::Download(const std::string& name, std::vector<int>* lengths, const OptionList& options)
{
    const auto [blockSize, window] = BlocksOf(options);
    if (!Request(1, name, options))
        return std::nullopt;
    std::string content;
    for (std::uint16_t block = 1;; ++block) {
        const std::optional<std::string> packet = Receive();
        if (!packet || OpcodeOf(*packet) != 3 || BlockOf(*packet) != block)
            return std::nullopt;
        if (lengths)
            lengths->push_back(static_cast<int>(packet->size()));
        content += packet->substr(4);
        const bool last = packet->size() < 4 + blockSize;
        if (last || block % window == 0)
            Send(AckPacket(block));
        if (last) {
            PumpEvents(1);
            return content;
        }
    }
}

// 0 for the ACK of block, the code of an ERROR, -1 for anything else.
static int AckResult(const std::optional<std::string>& reply, std::uint16_t block)
{
    if (reply && OpcodeOf(*reply) == 5)
        return BlockOf(*reply);
    return reply == AckPacket(block) ? 0 : -1;
}

int Peer::Upload(const std::string& name, const std::string& bytes, const OptionList& options)
{
    const auto [blockSize, window] = BlocksOf(options);
    if (!Request(2, name, options))
        return -1;
    if (options.empty()) {
        if (const int result = AckResult(Receive(), 0))
            return result;
    }
    for (std::size_t block = 1, offset = 0;; ++block, offset += blockSize) {
        const std::string chunk = bytes.substr(std::min(offset, bytes.size()), blockSize);
        Send(DataPacket(static_cast<std::uint16_t>(block), chunk));
        const bool last = chunk.size() < blockSize;
        if (last || block % window == 0) {
            if (const int result = AckResult(Receive(), static_cast<std::uint16_t>(block)))
                return result;
        }
        if (last)
            return 0;
    }
}
