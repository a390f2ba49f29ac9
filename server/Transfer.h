#pragma once
// One read or write transfer in progress: a record of the transfer table that
// CTftpSocket keeps from m_head, newest first, and of its index by peer.
#include "platform/Endpoint.h"
#include "platform/UploadFile.h"
#include "server/BlockReader.h"
#include "server/TftpPacket.h"

#include <cstdint>
#include <string>

constexpr int kReplyTimeoutTicks = 6;
constexpr int kTicksPerSecond = 2;
constexpr int kLifetimeTicks = 3600;

struct CTransfer {
    FileId file = kNoFile;         // write: the temporary file, owned; read: none, see reader
    std::uint16_t block = 0;       // read: first block of the window sent; write: last block received
    std::uint16_t totalBlocks = 0; // read: file size / block size, low 16 bits, for status texts
    std::uint16_t retries = 0;     // read: resends over the whole transfer; write: since the last DATA
    std::int32_t eof = 0;          // read: the final, short block has been sent (in the window)
    std::int32_t isWrite = 0;
    std::int32_t replyTimeout = kReplyTimeoutTicks;
    std::int32_t lifetime = kLifetimeTicks;
    CTransfer* next = nullptr; // the record created before this one
    // The client, with the address its request was sent to, which every
    // datagram of the transfer leaves from, as clients behind a firewall or
    // NAT expect; left to the kernel when it would choose that address anyway.
    Endpoint peer;
    // The record created after this one, so that a record leaves the table
    // without a walk from m_head; empty in the first record.
    CTransfer* newer = nullptr;
    // The records of the same peer and direction, for the index by peer.
    CTransfer* samePeerOlder = nullptr;
    CTransfer* samePeerNewer = nullptr;
    // Read: the file, read block by block at blockOffset. Not a stream,
    // whose close walks every open stream of the process.
    BlockReader reader;
    // What the request's options granted: 512-byte blocks, the usual resend
    // interval and one block a window unless it asked otherwise.
    int blockSize = kBlockSize;
    int timeoutTicks = kReplyTimeoutTicks;
    int windowSize = 1;
    // The option acknowledgement sent and not answered yet, resent as a
    // block would be; empty once answered, and for a request without options.
    std::string optionsAck;
    // Read: the blocks of the window sent from `block` on.
    int windowSent = 0;
    // Write: the blocks taken since the last ACK, and whether a DATA out of
    // order has already been answered with the ACK of the last one in order.
    int receivedInWindow = 0;
    bool gapAcknowledged = false;
    // Read: the file offset of block `block`'s data. Kept apart from the
    // 16-bit block number, which wraps on files of more than 65535 blocks.
    long long blockOffset = 0;
    UploadFile upload; // write: the temporary file that becomes the target
    // For the record of transfers: the name as received, when the request
    // came, and read: the file's size; write: the bytes stored so far.
    std::string name;
    double started = 0;
    long long bytes = 0;
};
