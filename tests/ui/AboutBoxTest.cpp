// The About box: its template, how it ends, how it is opened, and the service
// going on while it is open.
#include "support/WindowFixture.h"
#include "tests/support/WindowManager.h"

#include "res/ResourceIds.h"
#include "ui/AboutBox.h"
#include "ui/ServerDlg.h"
#include "ui/dialog/qt/WindowHandle.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QTimer>

namespace {

class AboutBoxTest : public WindowFixture { };

std::vector<std::string> LabelTexts(const QWidget& box)
{
    std::vector<std::string> texts;
    for (const QLabel* label : box.findChildren<QLabel*>())
        if (!label->text().isEmpty())
            texts.push_back(label->text().toStdString());
    return texts;
}

TEST_F(AboutBoxTest, ShowsNameVersionAndIconAndEndsByOkOrEscape)
{
    struct Case {
        const char* name;
        std::function<void(CAboutBox&)> end;
        int result;
    };
    const Case cases[] = {
        {"OK", [](CAboutBox& b) { qobject_cast<QAbstractButton*>(QtWidget(b.GetDlgItem(IDOK)))->click(); }, IDOK},
        {"Enter",
         [](CAboutBox& b) {
             QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
             QApplication::sendEvent(QtDialog(b)->focusWidget(), &enter);
         },
         IDOK},
        {"Esc",
         [](CAboutBox& b) {
             QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QApplication::sendEvent(QtDialog(b)->focusWidget(), &esc);
         },
         IDCANCEL},
        {"close box", [](CAboutBox& b) { QtDialog(b)->close(); }, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CAboutBox box;
        const int result = RunModal(box, [&] {
            EXPECT_EQ(QtDialog(box)->windowTitle(), "About Vantrel");
            EXPECT_EQ(LabelTexts(*QtDialog(box)), (std::vector<std::string>{"Vantrel TFTP Server Version 1.2"}));
            bool hasIcon = false;
            for (const QLabel* label : QtDialog(box)->findChildren<QLabel*>())
                hasIcon = hasIcon || !label->pixmap().isNull();
            EXPECT_TRUE(hasIcon);
            c.end(box);
        });
        EXPECT_EQ(result, c.result);
    }
}

TEST_F(AboutBoxTest, TheAboutButtonOpensItOverTheBlockedMainWindow)
{
    CServerDlg dlg(0);
    ASSERT_TRUE(dlg.Create());
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = WrapperOf<CAboutBox>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = true;
        EXPECT_EQ(QtDialog(*box)->parentWidget(), QtDialog(dlg));
        EXPECT_TRUE(QtDialog(*box)->isModal());
        box->OnOK();
    });
    qobject_cast<QAbstractButton*>(QtWidget(dlg.GetDlgItem(IDC_ABOUT)))->click();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(QtDialog(dlg)->isVisible());
}

// Over a main window away from the screen's centre, so that centring over
// the owner and centring on the screen differ.
TEST_F(AboutBoxTest, OpensCentredByItsFrameOverTheMainWindow)
{
    SKIP_UNLESS_WINDOWS_ARE_FRAMED();
    CServerDlg dlg(0);
    ASSERT_TRUE(dlg.Create());
    QDialog* window = QtDialog(dlg);
    ASSERT_TRUE(WaitUntilOpened(window));
    const QPoint moved = window->pos() - QPoint(100, 60);
    window->move(moved);
    ASSERT_TRUE(WaitUntil([&] { return window->pos() == moved; }));
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = WrapperOf<CAboutBox>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = true;
        EXPECT_TRUE(WaitUntilOpened(QtDialog(*box)));
        EXPECT_LE((QtDialog(*box)->frameGeometry().center() - window->frameGeometry().center()).manhattanLength(), 2);
        box->OnOK();
    });
    dlg.OnAbout();
    EXPECT_TRUE(seen);
}

TEST_F(AboutBoxTest, ARealClientDownloadCompletesWhileTheBoxIsOpen)
{
    const std::string content(5000, 'x');
    const std::string served = MakeDir("served", "file.bin", content);
    const std::string fetched = MakeDir("fetched") + "/file.bin";
    CServerDlg dlg(0);
    dlg.m_searchDirs = {served};
    ASSERT_TRUE(dlg.Create());

    QProcess client;
    client.setProcessChannelMode(QProcess::ForwardedChannels);
    QTimer poll;
    QTimer::singleShot(0, [&] {
        auto* box = WrapperOf<CAboutBox>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        client.start("tftp",
                     {"-m", "binary", "127.0.0.1", QString::number(dlg.m_server.GetLocalPort()), "-c", "get",
                      "file.bin", QString::fromStdString(fetched)});
        QObject::connect(&poll, &QTimer::timeout, [&, box] {
            if (client.state() == QProcess::NotRunning)
                box->OnOK();
        });
        poll.start(10);
    });
    dlg.OnAbout();
    poll.stop();

    EXPECT_EQ(client.exitCode(), 0);
    EXPECT_EQ(ReadFile(fetched), content);
    EXPECT_EQ(dlg.m_status.GetWindowText(), "Finished");
}

} // namespace
