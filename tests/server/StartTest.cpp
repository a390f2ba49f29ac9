// Starting and destroying the service: g_server, the timer, a port that is
// already taken, and what a killed run left in the write directory.
#include "server/TftpSocket.h"

#include "platform/MessageBox.h"
#include "server/StatusLine.h"
#include "support/ServiceHarness.h"
#include "support/StandardErrorCapture.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// A write directory as a killed run leaves it: the temporary files of four
// unfinished uploads, two of them in subfolders, beside names that only look
// like them, and links named as temporaries or leading to a folder outside.
class LeftoverWriteDir {
public:
    LeftoverWriteDir()
    {
        for (const std::string& name : std::vector<std::string>{
                 ".upload-0123456789abcdef", ".x.upload-0123456789ABCDEF", ".x.upload-0123456789abcde",
                 ".x.upload-0123456789abcdef0", "x.upload-0123456789abcdef",
                 "." + std::string(201, 'x') + ".upload-0123456789abcdef"})
            WriteWholeFile(Path() + "/" + name, "kept");
        std::filesystem::create_directory(m_dir.FilePath(".dir.upload-0123456789abcdef"));
        std::filesystem::create_directories(m_dir.FilePath("sub/deeper"));
        WriteWholeFile(OutsideFile(), "outside");
        std::error_code noLinksHere; // wine makes none
        std::filesystem::create_symlink(OutsideFile(), m_dir.FilePath(".l.upload-0123456789abcdef"), noLinksHere);
        std::filesystem::create_directory_symlink(m_outside.Path(), m_dir.FilePath("linked"), noLinksHere);
        m_kept = Entries();
        for (const char* name : {".boot.img.upload-0123456789abcdef", ".x.upload-fedcba9876543210",
                                 "sub/.a.upload-0123456789abcdef", "sub/deeper/.b.upload-0123456789abcdef"})
            WriteWholeFile(Path() + "/" + name, "partial");
    }
    std::string Path() const { return m_dir.Path(); }
    // Every name beneath the folder, links not followed.
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_dir.Path()))
            names.push_back(std::filesystem::relative(entry.path(), m_dir.Path()).generic_string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The names that are not an upload's temporary file.
    const std::vector<std::string>& Kept() const { return m_kept; }
    // A file outside, named as a temporary, which a link in the folder leads to.
    std::string OutsideFile() const { return m_outside.FilePath(".x.upload-0123456789abcdef"); }

private:
    ScratchFolder m_dir, m_outside;
    std::vector<std::string> m_kept;
};

TEST(Start, RunningServiceIsNamedByGServerUntilDestroyed)
{
    int enableWrite = 0;
    LeftoverWriteDir leftovers;
    std::string writeDir = leftovers.Path();
    std::vector<std::string> searchDirs;
    StandardErrorCapture record;
    {
        CTftpSocket server(0);
        EXPECT_EQ(g_server, nullptr);
        server.Start(&enableWrite, &writeDir, &searchDirs);
        EXPECT_EQ(g_server, &server);
        EXPECT_NE(server.GetLocalPort(), 0);
        ServerTimerProc(nullptr, 0, 0, 0); // a tick on an empty table does nothing
        EXPECT_EQ(server.Head(), nullptr);
    }
    EXPECT_EQ(g_server, nullptr);
    ServerTimerProc(nullptr, 0, 0, 0); // no service: nothing to run

    // Once the port is bound, the temporary files are gone, and the record says so.
    EXPECT_EQ(leftovers.Entries(), leftovers.Kept());
    EXPECT_EQ(ReadWholeFile(leftovers.OutsideFile()), "outside");
    EXPECT_EQ(record.Lines(),
              std::vector<std::string>{"vantrel: removed 4 temporary file(s) of unfinished uploads from " + writeDir});
}

TEST(Start, TakenPortIsReportedInBoxAndLeavesServiceInert)
{
    std::vector<std::string> boxes;
    AfxSetMessageBoxSeam([&](const std::string& text, const std::string&) {
        boxes.push_back(text);
        return IDOK;
    });
    int enableWrite = 1;
    LeftoverWriteDir leftovers;
    const std::vector<std::string> before = leftovers.Entries();
    std::string writeDir = leftovers.Path();
    std::vector<std::string> searchDirs;
    CAsyncSocket holder;
    ASSERT_TRUE(holder.Create(0));
    CTftpSocket server(holder.GetLocalPort());
    server.Start(&enableWrite, &writeDir, &searchDirs);
    EXPECT_EQ(boxes, std::vector<std::string>{"Unable to Bind socket. Is Vantrel already open? "});
    EXPECT_EQ(g_server, nullptr);
    EXPECT_EQ(server.GetLocalPort(), 0);
    EXPECT_EQ(leftovers.Entries(), before) << "the instance that holds the port may be writing them";
    AfxSetMessageBoxSeam(nullptr);
}
