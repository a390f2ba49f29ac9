#include "server/TftpPacket.h"

#include "platform/NetTypes.h"

#include <cstring>

std::uint16_t ReadWord(const char* packet, int position)
{
    std::uint16_t value;
    std::memcpy(&value, packet + position, sizeof value);
    return ntohs(value);
}

void WriteWord(char* packet, int position, std::uint16_t value)
{
    value = htons(value);
    std::memcpy(packet + position, &value, sizeof value);
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
