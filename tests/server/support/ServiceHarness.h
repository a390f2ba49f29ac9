#pragma once
// The service on a loopback port of its own, with the status line and the
// message boxes recorded, and scripted peers that speak raw datagrams to it
// while the Qt event loop runs the service.
#include "server/StatusLine.h"
#include "server/TftpSocket.h"
#include "tests/support/RandomBytes.h"
#include "tests/support/TftpPeer.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <memory>
#include <netinet/in.h>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <vector>

class StatusRecorder : public CStatusLine {
public:
    void SetWindowText(const std::string& text) override { texts.push_back(text); }
    std::string Last() const { return texts.empty() ? std::string("<none>") : texts.back(); }
    std::vector<std::string> texts;
};

// Runs a program to its end while the event loop goes on; its exit code, or
// -1 when it had to be killed after timeoutMs. Output goes to *output.
int RunProgram(const QString& program, const QStringList& arguments, int timeoutMs, QString* output = nullptr);

// Runs a command that sets up a test (ip, nft, mount) and fails the test
// when it does not succeed.
void RunSetup(const QString& program, const QStringList& arguments);

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);

// Lowers a soft resource limit of this process while it lives.
class SoftLimit {
public:
    SoftLimit(int resource, rlim_t limit);
    ~SoftLimit();

private:
    int m_resource;
    rlimit m_saved{};
};

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
