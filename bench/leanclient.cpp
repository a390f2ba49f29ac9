// The leanest TFTP client, to measure servers by: a blocking receive and one
// acknowledgement sent a block, as the floor's replier does, so that what a
// server adds to the floor is its own. Every block's number is checked and
// its bytes are compared with the source file, mapped; the transfer ends at
// the first short block. Nothing is resent: on loopback nothing is lost, and
// a silence of a few seconds fails the run.
// Usage: leanclient <name to ask for> <source file>; asks 127.0.0.1:69 and
// prints the wall seconds from the request to the last acknowledgement.
#include "bench/BenchTftp.h"

#include <chrono>
#include <cstdarg>
#include <sys/time.h>

using namespace bench;

namespace {

constexpr int kSilenceSeconds = 5;
constexpr std::size_t kLongest = 4 + kBlock + 1; // one byte over, so an oversized block shows

[[noreturn]] __attribute__((format(printf, 1, 2))) void Fail(const char* format, ...)
{
    std::va_list arguments;
    va_start(arguments, format);
    std::fprintf(stderr, "leanclient: ");
    std::vfprintf(stderr, format, arguments);
    std::fprintf(stderr, "\n");
    va_end(arguments);
    std::exit(1);
}

int ClientSocket()
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    const timeval silence{kSilenceSeconds, 0};
    if (fd < 0 || setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &silence, sizeof silence) != 0)
        Fail("no socket");
    return fd;
}

void SendRequest(int fd, const std::string& name)
{
    const std::string packet = std::string("\0\1", 2) + name + '\0' + "octet" + '\0';
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(69);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sendto(fd, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&server), sizeof server);
}

// Returns the payload's length; anything but the awaited DATA from the
// server's port ends the run.
std::size_t ReceiveBlock(int fd, char* packet, std::uint16_t block, Peer& server)
{
    Peer from;
    const ssize_t n = recvfrom(fd, packet, kLongest, 0, reinterpret_cast<sockaddr*>(&from.address), &from.length);
    if (n < 0)
        Fail("nothing came for %d seconds before block %d", kSilenceSeconds, block);
    if (n >= 4 && Word(packet) == kError)
        Fail("the server sent error %d at block %d", Word(packet + 2), block);
    if (n < 4 || Word(packet) != kData || static_cast<std::size_t>(n) > 4 + kBlock)
        Fail("a datagram of %zd bytes that is no DATA packet at block %d", n, block);
    if (block == 1)
        server = from;
    else if (from.address.sin_port != server.address.sin_port)
        Fail("block %d came from another port than block 1", block);
    if (Word(packet + 2) != block)
        Fail("block %d came where block %d was awaited", Word(packet + 2), block);
    return static_cast<std::size_t>(n) - 4;
}

// The awaited block number is the acknowledgement's; only the opcode changes.
void Acknowledge(int fd, char* packet, const Peer& server)
{
    packet[1] = kAck;
    sendto(fd, packet, 4, 0, reinterpret_cast<const sockaddr*>(&server.address), server.length);
}

void Download(int fd, const MappedFile& source)
{
    char packet[kLongest];
    Peer server;
    std::size_t received = 0;
    for (std::uint16_t block = 1;; ++block) {
        const std::size_t count = ReceiveBlock(fd, packet, block, server);
        const bool fits = count <= source.Size() - received;
        if (!fits || (count > 0 && std::memcmp(packet + 4, source.Bytes() + received, count) != 0))
            Fail("block %d differs from the source at byte %zu", block, received);
        received += count;
        Acknowledge(fd, packet, server);
        if (count < kBlock)
            break;
    }
    if (received != source.Size())
        Fail("%zu bytes came of the source's %zu", received, source.Size());
}

} // namespace

int main(int argc, char** argv)
{
    MappedFile source;
    if (argc < 3 || !source.Open(argv[2])) {
        std::fprintf(stderr, "usage: leanclient <name to ask for> <source file>\n");
        return 2;
    }
    const int fd = ClientSocket();
    const auto start = std::chrono::steady_clock::now();
    SendRequest(fd, argv[1]);
    Download(fd, source);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%.6f\n", elapsed.count());
}
