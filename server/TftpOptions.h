#pragma once
// The options a read or write request may carry after its mode (block size,
// transfer size, resend interval, window), and the answer that grants them.
// Names and values are read in any case; an unknown option, a value that is
// not a plain decimal number or lies out of range, and the repeat of an
// option already read are ignored. A request that is granted nothing is
// served as one without options: 512-byte blocks and no answer to options.
#include <string>

enum class TftpOption { BlockSize, TransferSize, Timeout, WindowSize };
constexpr int kOptionKinds = 4;

constexpr int kSmallestBlock = 8;
constexpr int kLargestBlock = 65464;
constexpr int kLargestWindow = 64;

struct GrantedOptions {
    int blockSize = 512;
    int timeoutSeconds = 0; // 0: the usual resend interval
    int windowSize = 1;
    long long transferSize = -1;
    // The options granted, in the order the client asked for them.
    TftpOption granted[kOptionKinds] = {};
    int count = 0;

    bool Any() const { return count > 0; }
};

// The options of the request in packet, which has length bytes. largestBlock
// is the largest block whose datagram fits the interface the request came
// in on; fileSize the size a read serves, or -1 for a write, whose own size,
// as the client gives it, is echoed.
GrantedOptions NegotiateOptions(const char* packet, int length, int largestBlock, long long fileSize);

// The option acknowledgement: opcode 6, then each option granted and its value.
std::string OptionsAcknowledgement(const GrantedOptions& options);

// " (tsize 171456, blksize 1468, windowsize 4)" for the record's request
// line; empty when nothing was granted, so a plain request's line stays as
// it has always been.
std::string OptionsForRecord(const GrantedOptions& options);
