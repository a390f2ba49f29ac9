// The least work a TFTP server can do for a real client: one transfer at a
// time, the file mapped at the request, then each block sent from the mapping
// as its acknowledgement arrives in a blocking receive. No event loop, no
// timers, no status. Run against tftp-hpa's client it shows what the client's
// own work adds to the bare ping-pong, which no server can take away.
// Usage: bareserver <directory> [port]; serves until killed.
#include "bench/BenchTftp.h"

using namespace bench;

namespace {

void SendNotFound(int fd, const Peer& peer)
{
    static const char packet[] = "\0\5\0\1File not found";
    sendto(fd, packet, sizeof packet, 0, reinterpret_cast<const sockaddr*>(&peer.address), peer.length);
}

// Lock-step: any acknowledgement but the awaited one brings the awaited block again.
void Serve(int fd, const Peer& client, const MappedFile& file)
{
    const std::size_t last = file.Size() / kBlock;
    std::size_t index = 0;
    for (;;) {
        SendBlock(fd, client, file, index);
        char reply[516];
        Peer from;
        ssize_t n = 0;
        do {
            n = recvfrom(fd, reply, sizeof reply, 0, reinterpret_cast<sockaddr*>(&from.address), &from.length);
        } while (n < 4 || Word(reply) != kAck || from.address.sin_port != client.address.sin_port);
        if (Word(reply + 2) == static_cast<std::uint16_t>(index + 1) && index++ == last)
            return;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bareserver <directory> [port]\n");
        return 2;
    }
    const std::string directory = argv[1];
    const int fd = BoundSocket(static_cast<std::uint16_t>(argc > 2 ? std::atoi(argv[2]) : 69), "bareserver");
    for (;;) {
        char request[516] = {};
        Peer client;
        const ssize_t n = recvfrom(fd, request, sizeof request - 1, 0, reinterpret_cast<sockaddr*>(&client.address),
                                   &client.length);
        if (n < 4 || Word(request) != kReadRequest || std::strchr(request + 2, '/'))
            continue;
        MappedFile file;
        if (!file.Open(directory + "/" + (request + 2))) {
            SendNotFound(fd, client);
            continue;
        }
        Serve(fd, client, file);
    }
}
