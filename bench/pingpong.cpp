// The floor for a lock-step transfer: two processes on loopback trade a
// 516-byte datagram and a 4-byte reply, round after round, exactly as a TFTP
// server and client do for each 512-byte block, with no file work at all.
// Usage: pingpong <round trips>; prints the wall seconds of the exchange.
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int BoundSocket(sockaddr_in& address)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0
        || getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("pingpong: socket");
        std::exit(1);
    }
    return fd;
}

// The sender's side: one 516-byte datagram, then wait for the 4-byte reply.
void Send(int fd, const sockaddr_in& peer, long rounds)
{
    char block[516] = {};
    char reply[16];
    for (long i = 0; i < rounds; ++i) {
        sendto(fd, block, sizeof block, 0, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
        if (recv(fd, reply, sizeof reply, 0) != 4)
            std::exit(1);
    }
}

// The replier's side: answer every 516-byte datagram with 4 bytes.
void Reply(int fd, long rounds)
{
    char block[1024];
    sockaddr_in from{};
    for (long i = 0; i < rounds; ++i) {
        socklen_t length = sizeof from;
        if (recvfrom(fd, block, sizeof block, 0, reinterpret_cast<sockaddr*>(&from), &length) != 516)
            std::exit(1);
        sendto(fd, block, 4, 0, reinterpret_cast<sockaddr*>(&from), length);
    }
    std::exit(0);
}

} // namespace

int main(int argc, char** argv)
{
    const long rounds = argc > 1 ? std::atol(argv[1]) : 64454;
    sockaddr_in senderAddress, replierAddress;
    const int sender = BoundSocket(senderAddress);
    const int replier = BoundSocket(replierAddress);
    if (fork() == 0)
        Reply(replier, rounds);
    const auto start = std::chrono::steady_clock::now();
    Send(sender, replierAddress, rounds);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    int status = 0;
    wait(&status);
    std::printf("%.6f\n", elapsed.count());
    return status == 0 ? 0 : 1;
}
