#pragma once
// The TFTP packets as this service reads and writes them: 2-byte big-endian
// fields, zero-terminated strings, 512-byte blocks unless a request's options
// grant another size.
#include <cstdint>
#include <string>

constexpr int kBlockSize = 512;
// The largest datagram taken apart, but for DATA of a transfer whose blocks
// are larger.
constexpr int kMaxDatagram = 1024;
// Set after every received datagram, so a fixed field reaching past a short
// datagram reads these rather than whatever the buffer held before.
constexpr int kFillBytes = 4;
constexpr unsigned char kFillByte = 0xAA;
constexpr int kHeaderSize = 4;

enum TftpOpcode : std::uint16_t {
    kOpReadRequest = 1,
    kOpWriteRequest = 2,
    kOpData = 3,
    kOpAck = 4,
    kOpError = 5,
    kOpOptionsAck = 6,
};

struct TftpError {
    std::uint16_t code;
    const char* message;
};

constexpr TftpError kFileReadError{0, "File read error"};
constexpr TftpError kFileNotFound{1, "File not found"};
constexpr TftpError kWriteNotPermitted{2, "Write not permitted"};
constexpr TftpError kAccessViolation{2, "Access violation"};
constexpr TftpError kFileOpenFailed{3, "File Open Failed"};
constexpr TftpError kDiskFull{3, "Disk full or allocation exceeded"};
constexpr TftpError kTooManyOpenFiles{0, "Too many open files"};

std::uint16_t ReadWord(const char* packet, int position);
void WriteWord(char* packet, int position, std::uint16_t value);

// The string at position, up to its zero byte or, when the datagram holds
// none, up to the datagram's end; empty when position lies past the end.
std::string ReadString(const char* packet, int length, int position);

// Each writes the packet at the start of buffer and returns its length.
int ComposeAck(char* buffer, std::uint16_t block);
int ComposeDataHeader(char* buffer, std::uint16_t block);
int ComposeError(char* buffer, int size, const TftpError& error);
