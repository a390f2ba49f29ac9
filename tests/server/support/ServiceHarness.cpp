#include "ServiceHarness.h"

#include "platform/MessageBox.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

// Paths are UTF-8, as the program keeps them; on Windows a narrow path would
// be taken in the ANSI code page.
fs::path Utf8Path(const std::string& path)
{
    return fs::path(std::u8string(path.begin(), path.end()));
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(Utf8Path(path), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(Utf8Path(path), std::ios::binary) << bytes;
}

std::vector<std::string> FolderEntries(const std::string& path)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

ScratchFolder::ScratchFolder()
{
    std::random_device random;
    fs::path path;
    do
        path = fs::temp_directory_path() / ("vantrel-test-" + std::to_string(random()));
    while (!fs::create_directory(path));
    m_path = path.string();
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

ServiceHarness::ServiceHarness(UINT servicePort, bool realTimer)
    : server(servicePort)
{
    for (const char* name : {"search0", "search1", "write"})
        fs::create_directory(root.FilePath(name));
    searchDirs = {SearchDir(0), SearchDir(1)};
    writeDir = root.FilePath("write");
    g_statusLine = &status;
    AfxSetMessageBoxSeam([this](const std::string& text, const std::string&) {
        boxes.push_back(text);
        return IDOK;
    });
    server.Start(&enableWrite, &writeDir, &searchDirs);
    if (!realTimer)
        g_server = nullptr;
    port = server.GetLocalPort();
}

ServiceHarness::~ServiceHarness()
{
    AfxSetMessageBoxSeam(nullptr);
    g_statusLine = nullptr;
}

std::string ServiceHarness::SearchDir(int index) const
{
    return root.FilePath("search" + std::to_string(index));
}

std::string ServiceHarness::WritePath(const std::string& name) const
{
    return writeDir + "/" + name;
}

std::vector<std::string> ServiceHarness::WriteDirEntries() const
{
    return FolderEntries(writeDir);
}

void ServiceHarness::PutFile(int searchIndex, const std::string& name, const std::string& bytes)
{
    WriteWholeFile(SearchDir(searchIndex) + "/" + name, bytes);
}

void ServiceHarness::Tick(int count)
{
    for (int i = 0; i < count; ++i)
        server.OnTimerTick();
}

int ServiceHarness::TableSize() const
{
    int size = 0;
    for (CTransfer* t = server.Head(); t; t = t->next)
        ++size;
    return size;
}

std::vector<std::unique_ptr<Peer>> ServiceHarness::StartReadTransfers(int count)
{
    PutFile(0, "f", std::string(2000, 'f'));
    std::vector<std::unique_ptr<Peer>> peers;
    for (int i = 0; i < count; ++i) {
        peers.push_back(std::make_unique<Peer>(port));
        peers.back()->Send(RequestPacket(1, "f"));
        EXPECT_TRUE(peers.back()->Receive()) << "first block for peer " << i;
    }
    return peers;
}
