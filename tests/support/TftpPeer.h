#pragma once
// A scripted TFTP client for tests whose service runs in the same process:
// raw datagrams on a loopback socket, and while it waits for a reply the
// event loop runs the service.
#include "platform/AsyncSocket.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Runs the event loop for about ms milliseconds.
void PumpEvents(int ms);

std::string RequestPacket(std::uint16_t opcode, const std::string& name, const std::string& mode = "octet");
// A request in octet mode that asks for options, or an option acknowledgement
// that grants them: names and values in the order given.
using OptionList = std::vector<std::pair<std::string, std::string>>;
std::string OptionsRequest(std::uint16_t opcode, const std::string& name, const OptionList& options);
std::string OptionsAckPacket(const OptionList& options);
std::string DataPacket(std::uint16_t block, const std::string& data);
std::string AckPacket(std::uint16_t block);
std::string ErrorPacket(std::uint16_t code, const std::string& message);
std::uint16_t OpcodeOf(const std::string& packet);
std::uint16_t BlockOf(const std::string& packet);

// The loopback address of the family the service tests run over: ::1 when
// the environment's VANTREL_TEST_FAMILY is ipv6, else 127.0.0.1.
const char* TestLoopback();

// A client socket on an ephemeral loopback port.
class Peer {
public:
    explicit Peer(unsigned short serverPort, const char* loopback = TestLoopback());
    ~Peer();
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    void Send(const std::string& packet);
    // The next datagram from the server, pumping events meanwhile; nothing
    // when none comes within timeoutMs.
    std::optional<std::string> Receive(int timeoutMs = 2000);
    // Pumps events for quietMs and returns every datagram that arrived.
    std::vector<std::string> Drain(int quietMs = 50);
    unsigned short Port() const;
    // The peer as the record names it: "127.0.0.1:<port>" or "[::1]:<port>".
    std::string RecordName() const;

    // RRQ and ACKs up to the final block; the file's bytes, or nothing when
    // the transfer did not complete. Each DATA packet's length is recorded.
    // With options, the reply must grant exactly those asked; then blocks are
    // of the size of "blksize", and each window of "windowsize" blocks is
    // acknowledged by its last.
    std::optional<std::string> Download(const std::string& name, std::vector<int>* lengths = nullptr,
                                        const OptionList& options = {});
    // WRQ and DATA blocks: 0 once every block is acknowledged, the code of
    // an ERROR reply, -1 after a silence or any other reply.
    int Upload(const std::string& name, const std::string& bytes, const OptionList& options = {});

private:
    bool Request(std::uint16_t opcode, const std::string& name, const OptionList& options);

    CAsyncSocket m_socket; // without notifications: Receive takes what came
    std::string m_loopback;
    Endpoint m_server;
};
