#pragma once
// What the benchmark's own TFTP programs share: the packet words, a UDP socket
// on a port, a file mapped whole, and a block sent from it.
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <string>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bench {

constexpr std::size_t kBlock = 512;
constexpr std::uint16_t kReadRequest = 1;
constexpr std::uint16_t kData = 3;
constexpr std::uint16_t kAck = 4;
constexpr std::uint16_t kError = 5;

struct Peer {
    sockaddr_in address{};
    socklen_t length = sizeof address;
};

inline std::uint16_t Word(const char* bytes)
{
    return static_cast<std::uint16_t>((static_cast<unsigned char>(bytes[0]) << 8)
                                      | static_cast<unsigned char>(bytes[1]));
}

inline int BoundSocket(std::uint16_t port, const char* program)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        std::fprintf(stderr, "%s: socket: %s\n", program, std::strerror(errno));
        std::exit(1);
    }
    return fd;
}

// A file's bytes, mapped: nothing is copied before the first block goes out,
// less work than a server streaming from the file does. (Reading it whole
// first costs 20 ms for 33 MB, a twentieth of the fastest transfers.)
class MappedFile {
public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile()
    {
        if (m_size > 0)
            munmap(const_cast<char*>(m_bytes), m_size);
    }

    bool Open(const std::string& path)
    {
        const int fd = open(path.c_str(), O_RDONLY);
        if (fd < 0)
            return false;
        struct stat status = {};
        bool opened = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
        if (opened && status.st_size > 0) {
            void* bytes = mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
            opened = bytes != MAP_FAILED;
            if (opened) {
                m_bytes = static_cast<const char*>(bytes);
                m_size = static_cast<std::size_t>(status.st_size);
            }
        }
        close(fd);
        return opened;
    }

    const char* Bytes() const { return m_bytes; }
    std::size_t Size() const { return m_size; }

private:
    const char* m_bytes = nullptr;
    std::size_t m_size = 0;
};

// Block numbers count from 1 and wrap at 65536; index counts on from 0.
inline void SendBlock(int fd, const Peer& peer, const MappedFile& file, std::size_t index)
{
    const auto block = static_cast<std::uint16_t>(index + 1);
    char packet[4 + kBlock] = {0, kData, static_cast<char>(block >> 8), static_cast<char>(block)};
    const std::size_t offset = std::min(index * kBlock, file.Size());
    const std::size_t count = std::min(kBlock, file.Size() - offset);
    if (count > 0)
        std::memcpy(packet + 4, file.Bytes() + offset, count);
    sendto(fd, packet, 4 + count, 0, reinterpret_cast<const sockaddr*>(&peer.address), peer.length);
}

} // namespace bench
