#pragma once
// The service on a loopback port of its own, with the status line and the
// message boxes recorded, and scripted peers that speak raw datagrams to it
// while the event loop runs the service.
#include "server/StatusLine.h"
#include "server/TftpSocket.h"
#include "tests/support/RandomBytes.h"
#include "tests/support/TftpPeer.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class StatusRecorder : public CStatusLine {
public:
    void SetWindowText(const std::string& text) override { texts.push_back(text); }
    std::string Last() const { return texts.empty() ? std::string("<none>") : texts.back(); }
    std::vector<std::string> texts;
};

// Paths in UTF-8.
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
// The names in a folder, sorted, hidden ones included.
std::vector<std::string> FolderEntries(const std::string& path);

// A new empty folder in the temporary folder, removed with all it holds.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string FilePath(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
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
    // Runs the service's tick count times, as the timer would.
    void Tick(int count = 1);
    // Serves a 2000-byte file "f" to count peers, one read transfer each,
    // every first block received; the last peer's transfer is the table's first.
    std::vector<std::unique_ptr<Peer>> StartReadTransfers(int count);

    ScratchFolder root;
    int enableWrite = 1;
    std::string writeDir;
    std::vector<std::string> searchDirs;
    StatusRecorder status;
    std::vector<std::string> boxes;
    CTftpSocket server;
    unsigned short port = 0;
};
