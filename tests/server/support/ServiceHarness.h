#pragma once
// The service on a loopback port of its own, with the status line and the
// message boxes recorded, and scripted peers that speak raw datagrams to it
// while the Qt event loop runs the service.
#include "server/StatusLine.h"
#include "server/TftpSocket.h"
#include "tests/support/RandomBytes.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <memory>
#include <netinet/in.h>
#include <optional>
#include <string>
#include <vector>

class StatusRecorder : public CStatusLine {
public:
    void SetWindowText(const std::string& text) override { texts.push_back(text); }
    std::string Last() const { return texts.empty() ? std::string("<none>") : texts.back(); }
    std::vector<std::string> texts;
};

// Runs the Qt event loop for about ms milliseconds.
void PumpEvents(int ms);

// Runs a program to its end while the event loop goes on; its exit code, or
// -1 when it had to be killed after timeoutMs. Output goes to *output.
int RunProgram(const QString& program, const QStringList& arguments, int timeoutMs, QString* output = nullptr);

// Runs a command that sets up a test (ip, nft, mount) and fails the test
// when it does not succeed.
void RunSetup(const QString& program, const QStringList& arguments);

std::string RequestPacket(std::uint16_t opcode, const std::string& name, const std::string& mode = "octet");
std::string DataPacket(std::uint16_t block, const std::string& data);
std::string AckPacket(std::uint16_t block);
std::string ErrorPacket(std::uint16_t code, const std::string& message);
std::uint16_t OpcodeOf(const std::string& packet);
std::uint16_t BlockOf(const std::string& packet);

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);

// Collects what is written to standard error while it lives.
class StandardErrorCapture {
public:
    StandardErrorCapture();
    ~StandardErrorCapture();
    // The lines written so far, without the newlines.
    std::vector<std::string> Lines() const;

private:
    QTemporaryFile m_file;
    int m_saved;
};

// A client socket on an ephemeral loopback port.
class Peer {
public:
    explicit Peer(unsigned short serverPort);
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

    // RRQ and ACKs up to the final block; the file's bytes, or nothing when
    // the transfer did not complete. Each DATA packet's length is recorded.
    std::optional<std::string> Download(const std::string& name, std::vector<int>* lengths = nullptr);
    // WRQ and DATA blocks; true when every block was acknowledged.
    bool Upload(const std::string& name, const std::string& bytes);

private:
    int m_socket;
    sockaddr_in m_server{};
};

// A started service with a search directory list, a write directory and a
// recorder for boxes; writes enabled. Unless realTimer is asked for, the real
// timer's ticks reach nothing (g_server is cleared), so tests drive
// OnTimerTick themselves.
class ServiceHarness {
public:
    explicit ServiceHarness(UINT servicePort = 0, bool realTimer = false);
    ~ServiceHarness();

    std::string SearchDir(int index) const;
    std::string WritePath(const std::string& name) const;
    // The names in the write directory, sorted, hidden ones included.
    std::vector<std::string> WriteDirEntries() const;
    void PutFile(int searchIndex, const std::string& name, const std::string& bytes);
    int TableSize() const;
    // Serves a 2000-byte file "f" to count peers, one read transfer each,
    // every first block received; the last peer's transfer is the table's first.
    std::vector<std::unique_ptr<Peer>> StartReadTransfers(int count);

    QTemporaryDir root;
    int enableWrite = 1;
    std::string writeDir;
    std::vector<std::string> searchDirs;
    StatusRecorder status;
    std::vector<std::string> boxes;
    CTftpSocket server;
    unsigned short port = 0;
};
