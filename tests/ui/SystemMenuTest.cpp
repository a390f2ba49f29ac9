// The main window's own system menu: its entries, the About entry that string
// 101 adds, and where its commands go.
#include "support/WindowFixture.h"

#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "ui/AboutBox.h"
#include "ui/ServerDlg.h"
#include "ui/dialog/SystemMenu.h"
#include "ui/dialog/qt/WindowHandle.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>

namespace {

class SystemMenuTest : public WindowFixture {
protected:
    // The system menu's popup, the one menu the window owns.
    static QMenu& Popup(CServerDlg& dlg) { return *QtDialog(dlg)->findChild<QMenu*>(); }

    static std::vector<std::string> Entries(QMenu& menu)
    {
        std::vector<std::string> entries;
        for (QAction* action : menu.actions())
            entries.push_back(action->isSeparator() ? "-" : action->text().toStdString());
        return entries;
    }

    static QAction* Entry(QMenu& menu, UINT id)
    {
        for (QAction* action : menu.actions())
            if (!action->isSeparator() && action->data().toUInt() == id)
                return action;
        return nullptr;
    }

    // Runs action while the About box it should open is watched for and closed.
    static bool OpensTheAboutBox(CServerDlg& dlg, const std::function<void()>& action)
    {
        bool opened = false;
        // Local, so that it cannot fire after a call that opened nothing.
        QTimer watcher;
        watcher.setSingleShot(true);
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            auto* box = WrapperOf<CAboutBox>(QApplication::activeModalWidget());
            opened = box && QtDialog(*box)->windowTitle() == "About Vantrel"
                && QtDialog(*box)->parentWidget() == QtDialog(dlg);
            if (box)
                box->OnOK();
        });
        watcher.start(0);
        action();
        return opened;
    }
};

TEST_F(SystemMenuTest, StringOneHundredOneAddsASeparatorAndTheAboutEntry)
{
    const std::vector<std::string> standard = {"&Restore", "Mi&nimize", "-", "&Close"};
    struct Case {
        const char* name;
        bool blankString;
        std::vector<std::string> entries;
    };
    std::vector<std::string> withAbout = standard;
    withAbout.insert(withAbout.end(), {"-", "&About Vantrel..."});
    const Case cases[] = {{"string 101 present", false, withAbout}, {"string 101 empty", true, standard}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearResStringOverrides();
        if (c.blankString)
            SetResStringOverride(IDS_ABOUTBOX, "");
        CServerDlg dlg(0);
        ASSERT_TRUE(dlg.Create());
        ASSERT_NE(GetSystemMenu(&dlg), nullptr);
        QMenu& menu = Popup(dlg);
        EXPECT_EQ(Entries(menu), c.entries);
        EXPECT_EQ(Entry(menu, IDM_ABOUTBOX) != nullptr, !c.blankString);
    }
}

TEST_F(SystemMenuTest, CommandsGoToOnSysCommandWhereTheAboutTestIgnoresTheLowBits)
{
    CServerDlg dlg(0);
    ASSERT_TRUE(dlg.Create());
    QMenu* menu = &Popup(dlg);

    EXPECT_TRUE(OpensTheAboutBox(dlg, [&] { Entry(*menu, IDM_ABOUTBOX)->trigger(); }));
    EXPECT_TRUE(OpensTheAboutBox(dlg, [&] { dlg.OnSysCommand(IDM_ABOUTBOX | 0x000F); }));
    EXPECT_FALSE(OpensTheAboutBox(dlg, [&] { dlg.OnSysCommand(0x0020); }));

    Entry(*menu, SC_MINIMIZE)->trigger();
    EXPECT_TRUE(dlg.IsIconic());
    Entry(*menu, SC_RESTORE)->trigger();
    EXPECT_FALSE(dlg.IsIconic());

    const int result = RunModal(dlg, [&] { Entry(Popup(dlg), SC_CLOSE)->trigger(); });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(SystemMenuTest, AltSpaceAndARightClickOnTheBackgroundOpenThePopup)
{
    CServerDlg dlg(0);
    ASSERT_TRUE(dlg.Create());
    QMenu& popup = Popup(dlg);

    QKeyEvent altSpace(QEvent::KeyPress, Qt::Key_Space, Qt::AltModifier);
    QApplication::sendEvent(QtDialog(dlg), &altSpace);
    EXPECT_TRUE(popup.isVisible());
    EXPECT_FALSE(Entry(Popup(dlg), SC_RESTORE)->isEnabled());
    EXPECT_TRUE(Entry(Popup(dlg), SC_MINIMIZE)->isEnabled());
    popup.close();

    const QPoint background(2, QtDialog(dlg)->height() - 2);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, background, QtDialog(dlg)->mapToGlobal(background));
    QApplication::sendEvent(QtDialog(dlg), &rightClick);
    EXPECT_TRUE(popup.isVisible());
    popup.close();

    // A right-click that the list box passes up to the dialog stays the list's.
    const QPoint onList = QtWidget(dlg.GetDlgItem(IDC_SEARCH_DIRS))->geometry().center();
    QContextMenuEvent listClick(QContextMenuEvent::Mouse, onList, QtDialog(dlg)->mapToGlobal(onList));
    QApplication::sendEvent(QtDialog(dlg), &listClick);
    EXPECT_FALSE(popup.isVisible());
}

} // namespace
