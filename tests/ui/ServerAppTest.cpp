// The whole run of the application object: the socket layer check, the load
// before the window, the save after it however it ended, and the end of the
// session by a signal.
#include "support/WindowFixture.h"
#include "tests/settings/support/ScratchStore.h"

#include "platform/AsyncSocket.h"
#include "platform/MessageBox.h"
#include "res/ResourceIds.h"
#include "settings/SettingsStore.h"
#include "tests/settings/support/SettingsValues.h"
#include "ui/AboutBox.h"
#include "ui/ServerApp.h"
#include "ui/ServerDlg.h"
#include "ui/dialog/qt/WindowHandle.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

class ServerAppTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        AfxSetAppName("vantrel-under-test");
    }

    // Runs script once the main window is up; InitInstance's result.
    BOOL Run(CServerApp& app, std::function<void(CServerDlg&)> script)
    {
        QTimer::singleShot(0, [&app, script] {
            ASSERT_NE(app.m_pMainWnd, nullptr);
            script(*app.m_pMainWnd);
        });
        return app.InitInstance();
    }
};

TEST_F(ServerAppTest, TheApplicationNameIsTheExecutablesFileNameWithoutDirectoryAndExtension)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/local/bin/vantrel", "vantrel"},
        {"vantrel", "vantrel"},
        {"./renamed.exe", "renamed"},
        {"/opt/tftp.v2.bin", "tftp.v2"},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(AppNameFromPath(path), name) << path;
}

TEST_F(ServerAppTest, LoadsBeforeTheWindowAndSavesAfterASessionEndWithTheAboutBoxOpen)
{
    SettingsValues provisioned{MakeDir("uploads"), 1, 0, {MakeDir("a"), MakeDir("b")}};
    WriteSettingsToRegistry(provisioned.Refs());
    CServerApp app(0);

    const BOOL result = Run(app, [](CServerDlg& window) {
        EXPECT_EQ(window.m_searchDirs.size(), 2u);
        qobject_cast<QAbstractButton*>(QtWidget(window.GetDlgItem(IDC_RUN_MINIMIZED)))->click();
        QTimer::singleShot(50, [] {
            EXPECT_NE(WrapperOf<CAboutBox>(QApplication::activeModalWidget()), nullptr);
            ::raise(SIGTERM);
        });
        window.OnAbout();
    });

    EXPECT_EQ(result, FALSE);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    const SettingsValues saved = Stored();
    EXPECT_EQ(saved.writeDir, provisioned.writeDir);
    EXPECT_EQ(saved.enableWrite, 1);
    EXPECT_EQ(saved.runMinimized, 1) << "the tick reaches its field only as the window goes";
    EXPECT_EQ(saved.searchDirs, provisioned.searchDirs);
    EXPECT_TRUE(m_boxes.empty());
}

// An administrator's sqlite3 session open on the store while the program
// starts: a reader costs nothing; a store that cannot be read is reported on
// the status line and in the record, and the defaults the window ran with are
// not saved over it. A session still open at the exit costs the save, which
// the record says.
TEST_F(ServerAppTest, AStoreHeldByAnotherProgramAtTheStartLosesNoSetting)
{
    struct Case {
        const char* what;
        const char* held;
        bool letsGoBeforeExit;
        const char* status;
        bool loads;
        bool saves;
        std::string record;
    };
    const char* const reader = "BEGIN; SELECT count(*) FROM reg_values;";
    const std::string busy = "another program held the store past the wait";
    const Case cases[] = {
        {"a reader", reader, true, "Idle", true, true, ""},
        {"a writer holding the file", "BEGIN EXCLUSIVE;", true, "Settings not loaded; they will not be saved", false,
         false, "vantrel: settings not loaded: " + busy + "; they will not be saved\n"},
        {"a reader still there at the exit", reader, false, "Idle", true, false,
         "vantrel: settings not saved: " + busy + "\n"},
    };
    const CShortStoreWait shortWait(200);
    SettingsValues provisioned{MakeDir("uploads"), 0, 0, {MakeDir("a")}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteSettingsToRegistry(provisioned.Refs());
        CSqliteSession session(StoreFile(), c.held);
        ASSERT_TRUE(session.Holding());
        CServerApp app(0);
        testing::internal::CaptureStderr();
        Run(app, [&](CServerDlg& window) {
            if (c.letsGoBeforeExit)
                session.End();
            EXPECT_EQ(qobject_cast<QLineEdit*>(QtWidget(window.GetDlgItem(IDC_STATUS)))->text().toStdString(),
                      c.status);
            EXPECT_EQ(window.m_searchDirs.size(), c.loads ? 1u : 0u);
            qobject_cast<QAbstractButton*>(QtWidget(window.GetDlgItem(IDC_ENABLE_WRITE)))->click();
            qobject_cast<QAbstractButton*>(QtWidget(window.GetDlgItem(IDOK)))->click();
        });
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.record);
        session.End();
        const SettingsValues saved = Stored();
        EXPECT_EQ(saved.enableWrite, c.saves ? 1 : 0);
        EXPECT_EQ(saved.writeDir, provisioned.writeDir);
        EXPECT_EQ(saved.searchDirs, provisioned.searchDirs);
    }
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(ServerAppTest, APortThatCannotBeBoundLeavesTheWindowRunningWithoutService)
{
    CAsyncSocket holder;
    ASSERT_TRUE(holder.Create(0));
    CServerApp app(holder.GetLocalPort());

    const BOOL result = Run(app, [this](CServerDlg& window) {
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].text, "Unable to Bind socket. Is Vantrel already open? ");
        EXPECT_EQ(m_boxes[0].caption, "vantrel-under-test");
        EXPECT_TRUE(QtDialog(window)->isVisible());
        EXPECT_EQ(qobject_cast<QLineEdit*>(QtWidget(window.GetDlgItem(IDC_STATUS)))->text(), "Idle");
        qobject_cast<QAbstractButton*>(QtWidget(window.GetDlgItem(IDC_ENABLE_WRITE)))->click();
        qobject_cast<QAbstractButton*>(QtWidget(window.GetDlgItem(IDOK)))->click();
    });

    EXPECT_EQ(result, FALSE);
    EXPECT_EQ(app.m_exitCode, 0);
    EXPECT_EQ(Stored().enableWrite, 1);
}

// Runs InitInstance with no descriptor left for a socket: the lowest free one
// is over the limit.
BOOL RunWithoutSockets(CServerApp& app)
{
    const int lowestFree = ::dup(0);
    ::close(lowestFree);
    rlimit saved{};
    if (::getrlimit(RLIMIT_NOFILE, &saved) != 0)
        return -1;
    rlimit starved = saved;
    starved.rlim_cur = static_cast<rlim_t>(lowestFree);
    if (::setrlimit(RLIMIT_NOFILE, &starved) != 0)
        return -1;
    const BOOL result = app.InitInstance();
    ::setrlimit(RLIMIT_NOFILE, &saved);
    return result;
}

TEST_F(ServerAppTest, WithoutSocketsOneBoxAndNoWindowNorSettingsAccess)
{
    for (const BOOL headless : {FALSE, TRUE}) {
        SCOPED_TRACE(headless);
        m_boxes.clear();
        CServerApp app(0);
        app.m_headless = headless;

        EXPECT_EQ(RunWithoutSockets(app), FALSE);
        EXPECT_EQ(app.m_exitCode, headless ? 1 : 0);
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].text, "Windows sockets initialization failed.");
        EXPECT_EQ(m_boxes[0].caption, "vantrel-under-test");
        EXPECT_FALSE(QFile::exists(QString::fromStdString(StoreFile())));
        EXPECT_TRUE(std::none_of(QApplication::topLevelWidgets().begin(), QApplication::topLevelWidgets().end(),
                                 [](QWidget* w) { return w->isVisible(); }));
    }
}

TEST_F(ServerAppTest, HeadlessAPortThatCannotBeBoundEndsTheRunWithStatusOne)
{
    CAsyncSocket holder;
    ASSERT_TRUE(holder.Create(0));
    CServerApp app(holder.GetLocalPort());
    app.m_headless = TRUE;

    EXPECT_EQ(app.InitInstance(), FALSE);
    EXPECT_EQ(app.m_exitCode, 1);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, "Unable to Bind socket. Is Vantrel already open? ");
    EXPECT_EQ(Stored().enableWrite, 0) << "the settings are saved as after any run";
    EXPECT_TRUE(QFile::exists(QString::fromStdString(StoreFile())));
}

} // namespace
