#pragma once
// A small TFTP client for tests of the window, whose service runs in the same
// process: while it waits for a reply it lets the event loop run.
#include <netinet/in.h>

#include <optional>
#include <string>

class TftpProbe {
public:
    explicit TftpProbe(unsigned short serverPort);
    ~TftpProbe();
    TftpProbe(const TftpProbe&) = delete;
    TftpProbe& operator=(const TftpProbe&) = delete;

    // The file's bytes, or nullopt after an ERROR reply or a silence.
    std::optional<std::string> Get(const std::string& name);
    // 0 once every block is acknowledged; the code of an ERROR reply; -1 after
    // a silence.
    int Put(const std::string& name, const std::string& bytes);
    // The code of the last ERROR reply, 0 when there was none.
    int LastErrorCode() const { return m_lastError; }

private:
    void SendRequest(int opcode, const std::string& name);
    void Send(const std::string& packet);
    // The next datagram from the server; nullopt after the wait.
    std::optional<std::string> Receive();
    // The block number of an ACK/DATA reply of the given opcode, -1 otherwise.
    int BlockOf(const std::optional<std::string>& reply, int opcode);

    int m_socket = -1;
    sockaddr_in m_server{};
    int m_lastError = 0;
};
