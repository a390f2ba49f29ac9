// The service on Windows' own interfaces, in this process, over real UDP on
// loopback: files go both ways byte for byte, what is refused is refused with
// the texts and codes of Linux, and a second service cannot take the port.
#include "platform/MessageBox.h"
#include "server/StatusLine.h"
#include "server/TftpSocket.h"
#include "tests/support/RandomBytes.h"
#include "tests/support/TftpPeer.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class StatusRecorder : public CStatusLine {
public:
    void SetWindowText(const std::string& text) override { last = text; }
    std::string last;
};

std::string ReadWhole(const fs::path& path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

// A started service with one search directory and a write directory of its
// own, writes enabled, boxes recorded.
struct Service {
    explicit Service(UINT port = 0)
        : server(port)
    {
        fs::create_directories(searchDir);
        fs::create_directories(writeDir);
        searchDirs = {searchDir.string()};
        writeDirText = writeDir.string();
        g_statusLine = &status;
        AfxSetMessageBoxSeam([this](const std::string& text, const std::string&) {
            boxes.push_back(text);
            return IDOK;
        });
        server.Start(&enableWrite, &writeDirText, &searchDirs);
    }
    ~Service()
    {
        AfxSetMessageBoxSeam(nullptr);
        g_statusLine = nullptr;
        g_server = nullptr;
        fs::remove_all(root);
    }
    fs::path root = fs::temp_directory_path() / ("service-" + std::to_string(GetCurrentProcessId()));
    fs::path searchDir = root / "search";
    fs::path writeDir = root / "write";
    int enableWrite = 1;
    std::string writeDirText;
    std::vector<std::string> searchDirs;
    StatusRecorder status;
    std::vector<std::string> boxes;
    CTftpSocket server;
};

} // namespace

TEST(Service, FilesGoBothWaysByteForByte)
{
    Service service;
    const std::string served = RandomBytes(3000, 1);
    std::ofstream(service.searchDir / "boot.bin", std::ios::binary) << served;
    Peer peer(service.server.GetLocalPort());
    EXPECT_EQ(peer.Download("/boot.bin"), served);
    EXPECT_EQ(service.status.last, "Finished");

    const std::string uploaded = RandomBytes(1300, 2);
    EXPECT_EQ(peer.Upload("sub\\..\\up.bin", uploaded), 2) << "a \"..\" step is refused";
    EXPECT_EQ(peer.Upload("up.bin", uploaded), 0);
    EXPECT_EQ(ReadWhole(service.writeDir / "up.bin"), uploaded);
    std::vector<std::string> entries;
    for (const auto& entry : fs::directory_iterator(service.writeDir))
        entries.push_back(entry.path().filename().string());
    EXPECT_EQ(entries, std::vector<std::string>{"up.bin"}) << "no temporary file is left";
}

TEST(Service, RefusedRequestsGetTheirErrorsAndTexts)
{
    Service service;
    Peer peer(service.server.GetLocalPort());
    const struct {
        std::uint16_t opcode;
        const char* name;
        std::string reply;
        const char* status;
    } cases[] = {
        {1, "CON", ErrorPacket(1, "File not found"), "Unknown File CON"},
        {1, "a.txt:stream", ErrorPacket(1, "File not found"), "Unknown File a.txt:stream"},
        {2, "nul.txt", ErrorPacket(2, "Access violation"), "Rejected Unsafe Name nul.txt"},
        {2, "a:b", ErrorPacket(2, "Access violation"), "Rejected Unsafe Name a:b"},
        {2, "trailing.", ErrorPacket(2, "Access violation"), "Rejected Unsafe Name trailing."},
        {2, ".x.UPLOAD-0123456789ABCDEF", ErrorPacket(2, "Access violation"),
         "Rejected Unsafe Name .x.UPLOAD-0123456789ABCDEF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        peer.Send(RequestPacket(c.opcode, c.name));
        EXPECT_EQ(peer.Receive(), c.reply);
        EXPECT_EQ(service.status.last, c.status);
    }
    service.enableWrite = 0;
    peer.Send(RequestPacket(2, "up.bin"));
    EXPECT_EQ(peer.Receive(), ErrorPacket(2, "Write not permitted"));
    EXPECT_TRUE(fs::is_empty(service.writeDir));
}

TEST(Service, ASecondServiceCannotTakeThePort)
{
    Service first;
    Service second(first.server.GetLocalPort());
    EXPECT_EQ(second.boxes, std::vector<std::string>{"Unable to Bind socket. Is Vantrel already open? "});
    EXPECT_TRUE(first.boxes.empty());
}
