// The least work a TFTP server can do for a real client: one transfer at a
// time, the whole file read at the request, then each block sent from memory
// as its acknowledgement arrives in a blocking receive. No event loop, no
// timers, no status. Run against tftp-hpa's client it shows what the client's
// own work adds to the bare ping-pong, which no server can take away.
// Usage: bareserver <directory> [port]; serves until killed.
#include <algorithm>
#include <arpa/inet.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace {

constexpr std::size_t kBlock = 512;

struct Peer {
    sockaddr_in address{};
    socklen_t length = sizeof address;
};

int BoundSocket(std::uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        std::perror("bareserver: socket");
        std::exit(1);
    }
    return fd;
}

void Send(int fd, const Peer& peer, const char* packet, std::size_t length)
{
    sendto(fd, packet, length, 0, reinterpret_cast<const sockaddr*>(&peer.address), peer.length);
}

void SendNotFound(int fd, const Peer& peer)
{
    static const char packet[] = "\0\5\0\1File not found";
    Send(fd, peer, packet, sizeof packet);
}

std::uint16_t Word(const char* bytes)
{
    return static_cast<std::uint16_t>((static_cast<unsigned char>(bytes[0]) << 8)
                                      | static_cast<unsigned char>(bytes[1]));
}

// Block numbers count from 1 and wrap at 65536; index counts on from 0.
void SendBlock(int fd, const Peer& peer, const std::vector<char>& data, std::size_t index)
{
    const auto block = static_cast<std::uint16_t>(index + 1);
    char packet[4 + kBlock] = {0, 3, static_cast<char>(block >> 8), static_cast<char>(block)};
    const std::size_t offset = std::min(index * kBlock, data.size());
    const std::size_t count = std::min(kBlock, data.size() - offset);
    if (count > 0)
        std::memcpy(packet + 4, data.data() + offset, count);
    Send(fd, peer, packet, 4 + count);
}

// Lock-step: any acknowledgement but the awaited one brings the awaited block again.
void Serve(int fd, const Peer& client, const std::vector<char>& data)
{
    const std::size_t last = data.size() / kBlock;
    std::size_t index = 0;
    for (;;) {
        SendBlock(fd, client, data, index);
        char reply[516];
        Peer from;
        ssize_t n = 0;
        do {
            n = recvfrom(fd, reply, sizeof reply, 0, reinterpret_cast<sockaddr*>(&from.address), &from.length);
        } while (n < 4 || Word(reply) != 4 || from.address.sin_port != client.address.sin_port);
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
    const int fd = BoundSocket(static_cast<std::uint16_t>(argc > 2 ? std::atoi(argv[2]) : 69));
    for (;;) {
        char request[516] = {};
        Peer client;
        const ssize_t n = recvfrom(fd, request, sizeof request - 1, 0,
                                   reinterpret_cast<sockaddr*>(&client.address), &client.length);
        if (n < 4 || Word(request) != 1 || std::strchr(request + 2, '/'))
            continue;
        std::ifstream file(directory + "/" + (request + 2), std::ios::binary);
        if (!file) {
            SendNotFound(fd, client);
            continue;
        }
        const std::vector<char> data{std::istreambuf_iterator<char>(file), {}};
        Serve(fd, client, data);
    }
}
