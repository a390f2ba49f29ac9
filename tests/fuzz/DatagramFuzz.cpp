// Fuzzes the service's datagram handling. The input is a setting byte, then
// records: a datagram from one of eight peers of either address family, or a
// number of timer ticks.
// Every box that opens may serve the next records inside it, as a real box's
// nested loop does. Each input runs against a fresh service, with files to
// serve in two search folders and an empty write folder.
#include "platform/MessageBox.h"
#include "server/StatusLine.h"
#include "server/TftpSocket.h"
#include "tests/fuzz/support/DatagramFeed.h"
#include "tests/fuzz/support/FuzzChecks.h"
#include "tests/fuzz/support/FuzzInput.h"

#include "platform/SocketAddress.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// Longer than the service's buffer, so that dropping a datagram whole is reached.
constexpr std::uint16_t kMaxFuzzDatagram = 1100;
constexpr std::uint8_t kFirstTickRecord = 0xC0;
constexpr std::uint8_t kLongTickRecord = 0xFF;
constexpr int kNestedRecordChoices = 4;
// Enough for one transfer's whole lifetime; more would only slow the fuzzer.
constexpr int kMaxTicksPerInput = 4000;
// The largest block granted on an interface of unknown MTU: Ethernet's, less
// IPv4's headers.
constexpr std::size_t kLargestEthernetBlock = 1500 - 28 - 4;

struct ServedFolders {
    std::string root;
    std::string search0;
    std::string search1;
    std::string write;
};

void WriteFileOfSize(const std::string& path, std::size_t size)
{
    std::ofstream(path, std::ios::binary) << std::string(size, 'v');
}

// The same files for every input: sizes around the block edges, a nested
// name, a FIFO and a folder, which must not open as files.
const ServedFolders& Folders()
{
    static const ServedFolders folders = [] {
        ServedFolders f;
        f.root = MakeScratchFolder("vantrel-fuzz-datagram");
        f.search0 = f.root + "/search0";
        f.search1 = f.root + "/search1";
        f.write = f.root + "/write";
        for (const std::string& dir : {f.search0, f.search1, f.write, f.search0 + "/sub", f.search0 + "/dir"})
            fs::create_directory(dir);
        WriteFileOfSize(f.search0 + "/empty", 0);
        WriteFileOfSize(f.search0 + "/one", 1);
        WriteFileOfSize(f.search0 + "/block", 512);
        WriteFileOfSize(f.search1 + "/three", 1500);
        WriteFileOfSize(f.search1 + "/dir", 700);
        WriteFileOfSize(f.search0 + "/sub/nested", 1024);
        mkfifo((f.search0 + "/fifo").c_str(), 0600);
        return f;
    }();
    return folders;
}

constexpr int kPeers = 8;

Endpoint PeerAddress(int index)
{
    static const struct {
        const char* address;
        std::uint16_t port;
    } peers[kPeers] = {{"127.0.0.1", 1000}, {"127.0.0.1", 1001}, {"10.0.0.2", 1000},    {"10.0.0.2", 69},
                       {"::1", 1000},       {"::1", 1001},       {"2001:db8::2", 1000}, {"::a00:2", 1000}};
    return EndpointAccess::FromText(peers[index].address, peers[index].port);
}

bool IsKnownPeer(const Endpoint& to)
{
    for (int i = 0; i < kPeers; ++i)
        if (PeerAddress(i).SamePeer(to))
            return true;
    return false;
}

// Every reply is a well-formed DATA, ACK or ERROR packet to a peer that spoke.
void CheckSent(const SentDatagram& sent)
{
    const std::string& p = sent.bytes;
    Require(IsKnownPeer(sent.to), "reply to a peer that never sent anything");
    Require(p.size() >= 4 && p[0] == 0, "reply shorter than a header");
    switch (p[1]) {
    case 3: Require(p.size() <= 4 + kLargestEthernetBlock, "DATA longer than Ethernet carries"); break;
    case 4: Require(p.size() == 4, "ACK of the wrong length"); break;
    case 5: Require(p.size() >= 5 && p.back() == '\0', "ERROR without its zero byte"); break;
    case 6: Require(p.size() >= 4 && p.back() == '\0', "option acknowledgement without its zero byte"); break;
    default: Require(false, "reply with an unknown opcode");
    }
}

class QuietStatusLine : public CStatusLine {
public:
    void SetWindowText(const std::string& text) override { m_last = text; }

private:
    std::string m_last;
};

class DatagramRun {
public:
    explicit DatagramRun(FuzzInput& input)
        : m_input(input)
    {
    }

    void Configure()
    {
        const std::uint8_t setting = m_input.Byte();
        const ServedFolders& f = Folders();
        m_enableWrite = setting & 1;
        m_writeDir = setting & 2 ? std::string() : f.write;
        const std::vector<std::string> layouts[]
            = {{f.search0, f.search1}, {"", f.search1}, {}, {f.search1, f.search0}};
        m_searchDirs = layouts[(setting >> 2) & 3];
        AfxSetMessageBoxSeam([this](const std::string&, const std::string&) {
            PlayRecords(m_input.Byte() % kNestedRecordChoices);
            return IDOK;
        });
        m_server.Start(&m_enableWrite, &m_writeDir, &m_searchDirs);
    }

    void PlayAll()
    {
        while (!m_input.AtEnd())
            PlayRecords(1);
    }

private:
    void PlayRecords(int count)
    {
        for (int i = 0; i < count && !m_input.AtEnd(); ++i)
            PlayRecord();
    }

    void PlayRecord()
    {
        const std::uint8_t header = m_input.Byte();
        if (header < kFirstTickRecord) {
            const std::uint16_t length = m_input.Word() % (kMaxFuzzDatagram + 1);
            const std::string bytes = m_input.Take(length);
            QueueDatagram(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                          PeerAddress(header % kPeers));
            m_server.OnReceive(0);
            return;
        }
        const int ticks = header == kLongTickRecord ? m_input.Byte() * 16 + 1 : (header & 0x3F) + 1;
        // A tick of an empty table does nothing.
        for (int i = 0; i < ticks && m_ticksLeft > 0 && m_server.Head(); ++i, --m_ticksLeft)
            m_server.OnTimerTick();
    }

    FuzzInput& m_input;
    int m_ticksLeft = kMaxTicksPerInput;
    int m_enableWrite = 0;
    std::string m_writeDir;
    std::vector<std::string> m_searchDirs;
    CTftpSocket m_server{69};
};

// Only what the write folder may hold changes, and no unfinished upload
// outlives the service; the folder is emptied for the next input.
void CheckAndClearFolders()
{
    const ServedFolders& f = Folders();
    int rootEntries = 0;
    for ([[maybe_unused]] const fs::directory_entry& entry : fs::directory_iterator(f.root))
        ++rootEntries;
    Require(rootEntries == 3, "a file was made outside the write folder");
    Require(fs::file_size(f.search0 + "/block") == 512 && fs::file_size(f.search1 + "/three") == 1500,
            "a served file was changed");
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(f.write)) {
        Require(entry.is_regular_file(error), "the write folder holds something else than a file");
        const std::string name = entry.path().filename().string();
        Require(name[0] != '.' || name.find(".upload-") == std::string::npos, "a temporary upload file was left");
        fs::remove(entry.path(), error);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QuietStatusLine status;
    g_statusLine = &status;
    SetSendObserver(CheckSent);
    Folders();
    const int descriptorsBefore = OpenDescriptorCount();
    {
        FuzzInput input(data, size);
        DatagramRun run(input);
        run.Configure();
        run.PlayAll();
    }
    AfxSetMessageBoxSeam(nullptr);
    Require(OpenDescriptorCount() == descriptorsBefore, "a file stayed open after the service ended");
    CheckAndClearFolders();
    return 0;
}
