// Starting and destroying the service: g_server, the timer and a port that
// is already taken.
#include "server/TftpSocket.h"

#include "platform/MessageBox.h"
#include "server/StatusLine.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(Start, RunningServiceIsNamedByGServerUntilDestroyed)
{
    int enableWrite = 0;
    std::string writeDir;
    std::vector<std::string> searchDirs;
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
}

TEST(Start, TakenPortIsReportedInBoxAndLeavesServiceInert)
{
    std::vector<std::string> boxes;
    AfxSetMessageBoxSeam([&](const std::string& text, const std::string&) {
        boxes.push_back(text);
        return IDOK;
    });
    int enableWrite = 1;
    std::string writeDir;
    std::vector<std::string> searchDirs;
    CAsyncSocket holder;
    ASSERT_TRUE(holder.Create(0));
    CTftpSocket server(holder.GetLocalPort());
    server.Start(&enableWrite, &writeDir, &searchDirs);
    EXPECT_EQ(boxes, std::vector<std::string>{"Unable to Bind socket. Is Vantrel already open? "});
    EXPECT_EQ(g_server, nullptr);
    EXPECT_EQ(server.GetLocalPort(), 0);
    AfxSetMessageBoxSeam(nullptr);
}
