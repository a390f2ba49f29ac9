#include "server/TftpPacket.h"

#include <cstring>

// Words travel high byte first.
std::uint16_t ReadWord(const char* packet, int position)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(packet + position);
    return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}

void WriteWord(char* packet, int position, std::uint16_t value)
{
    packet[position] = static_cast<char>(value >> 8);
    packet[position + 1] = static_cast<char>(value & 0xff);
}

std::string ReadString(const char* packet, int length, int position)
{
    if (position >= length)
        return {};
    const char* start = packet + position;
    const auto available = static_cast<std::size_t>(length - position);
    const void* zero = std::memchr(start, 0, available);
    return std::string(start, zero ? static_cast<const char*>(zero) - start : available);
}

int ComposeAck(char* buffer, std::uint16_t block)
{
    WriteWord(buffer, 0, kOpAck);
    WriteWord(buffer, 2, block);
    return kHeaderSize;
}

int ComposeDataHeader(char* buffer, std::uint16_t block)
{
    WriteWord(buffer, 0, kOpData);
    WriteWord(buffer, 2, block);
    return kHeaderSize;
}

int ComposeError(char* buffer, int size, const TftpError& error)
{
    const int messageLength = static_cast<int>(std::strlen(error.message));
    if (kHeaderSize + messageLength + 1 > size)
        return 0;
    WriteWord(buffer, 0, kOpError);
    WriteWord(buffer, 2, error.code);
    std::memcpy(buffer + kHeaderSize, error.message, static_cast<std::size_t>(messageLength) + 1);
    return kHeaderSize + messageLength + 1;
}
