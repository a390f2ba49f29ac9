// The floor's sending side, speaking just enough TFTP for a real client: the
// file is mapped before any request, a read request starts it from block 1,
// and every other datagram is answered at once with the next block, unread,
// as the floor's replier answers each of its datagrams. Against the lean
// client it is the floor of a TFTP transfer: a server that does no work.
// Usage: floorserver <file> [port]; serves that file whatever name is asked,
// until killed.
#include "bench/BenchTftp.h"

using namespace bench;

int main(int argc, char** argv)
{
    MappedFile file;
    if (argc < 2 || !file.Open(argv[1])) {
        std::fprintf(stderr, "usage: floorserver <file> [port]\n");
        return 2;
    }
    const int fd = BoundSocket(static_cast<std::uint16_t>(argc > 2 ? std::atoi(argv[2]) : 69), "floorserver");
    const std::size_t last = file.Size() / kBlock;
    std::size_t next = last + 1; // nothing to send before a request
    for (;;) {
        char packet[516];
        Peer from;
        const ssize_t n
            = recvfrom(fd, packet, sizeof packet, 0, reinterpret_cast<sockaddr*>(&from.address), &from.length);
        if (n >= 2 && Word(packet) == kReadRequest)
            next = 0;
        if (next <= last)
            SendBlock(fd, from, file, next++);
    }
}
