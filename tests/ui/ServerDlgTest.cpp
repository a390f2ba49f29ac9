// The main window with its service on an ephemeral port: the data exchange and
// its triggers, the search-directory list, the switches and the ways of
// ending the window.
#include "support/WindowFixture.h"
#include "tests/support/TftpPeer.h"
#include "tests/support/WindowManager.h"

#include "res/ResourceIds.h"
#include "ui/ServerDlg.h"
#include "ui/dialog/SystemMenu.h"
#include "ui/dialog/qt/WindowHandle.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QWindow>

#include <chrono>
#include <thread>

namespace {

class ServerDlgTest : public WindowFixture {
protected:
    CServerDlg m_dlg{0};

    QCheckBox* Box(int id) const { return qobject_cast<QCheckBox*>(QtWidget(m_dlg.GetDlgItem(id))); }
    QLineEdit* Field(int id) const { return qobject_cast<QLineEdit*>(QtWidget(m_dlg.GetDlgItem(id))); }
    QListWidget* List() const { return qobject_cast<QListWidget*>(QtWidget(m_dlg.GetDlgItem(IDC_SEARCH_DIRS))); }
    void Click(int id) const { qobject_cast<QAbstractButton*>(QtWidget(m_dlg.GetDlgItem(id)))->click(); }
    unsigned short Port() const { return m_dlg.m_server.GetLocalPort(); }

    std::vector<std::string> ListedItems() const
    {
        std::vector<std::string> items;
        for (int row = 0; row < List()->count(); ++row)
            items.push_back(List()->item(row)->text().toStdString());
        return items;
    }

    void SelectListed(const std::string& text) const
    {
        const auto found = List()->findItems(QString::fromStdString(text), Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty());
        List()->setCurrentItem(found.first());
    }

    // As a user sees an edit control whose text was set: its first characters.
    static void ExpectShowsItsStart(const QLineEdit* field)
    {
        ASSERT_GT(field->fontMetrics().horizontalAdvance(field->text()), field->width())
            << "a text wider than the field";
        EXPECT_EQ(field->cursorPosition(), 0);
        EXPECT_LT(field->inputMethodQuery(Qt::ImCursorRectangle).toRect().left(), field->width() / 4);
    }

    static void PressKey(QWidget* target, int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }
};

TEST_F(ServerDlgTest, InitialisationShowsTheSettingsAndStartsTheServiceAfterIdle)
{
    m_dlg.m_writeDir = MakeDir("uploads/from/the/devices/in/the/lab/on/the/second/floor");
    m_dlg.m_enableWrite = 2; // a save would turn this into 1
    m_dlg.m_runMinimized = 1;
    m_dlg.m_searchDirs = {"/srv/b", "/srv/a"};
    ASSERT_TRUE(m_dlg.Create());

    EXPECT_EQ(Field(IDC_WRITE_DIR)->text().toStdString(), m_dlg.m_writeDir);
    ExpectShowsItsStart(Field(IDC_WRITE_DIR));
    EXPECT_TRUE(Box(IDC_ENABLE_WRITE)->isChecked());
    EXPECT_TRUE(Box(IDC_RUN_MINIMIZED)->isChecked());
    EXPECT_EQ(m_dlg.m_enableWrite, 2) << "the load itself must not start a save";
    EXPECT_EQ(ListedItems(), (std::vector<std::string>{"/srv/a", "/srv/b"}));
    EXPECT_EQ(g_statusLine, &m_dlg.m_status);
    EXPECT_EQ(Field(IDC_STATUS)->text(), "Idle");
    EXPECT_NE(Port(), 0) << "the service runs";
    EXPECT_TRUE(m_dlg.IsIconic());
    EXPECT_FALSE(QtDialog(m_dlg)->windowIcon().isNull());
    EXPECT_EQ(QtIcon(m_dlg.OnQueryDragIcon()).cacheKey(), QtDialog(m_dlg)->windowIcon().cacheKey());
    EXPECT_EQ(QtDialog(m_dlg)->focusWidget(), List());
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(ServerDlgTest, TheStatusLineTakesEveryTextAndShowsTheNewestSoonAfter)
{
    ASSERT_TRUE(m_dlg.Create());
    QLineEdit* field = Field(IDC_STATUS);
    Pump(2 * CStatusField::kRepaintMs);

    g_statusLine->SetWindowText("Unknown File a.bin");
    EXPECT_EQ(field->text(), "Unknown File a.bin") << "after a quiet spell a text shows at once";
    int shown = 0;
    const QMetaObject::Connection counter = QObject::connect(field, &QLineEdit::textChanged, [&] { ++shown; });
    for (int block = 1; block <= 100; ++block)
        g_statusLine->SetWindowText("Sending " + std::to_string(block) + " of 100");
    for (int block = 1; block <= 100; ++block)
        g_statusLine->SetWindowNumbers("Write Block %d %d bytes", block, 512);
    QObject::disconnect(counter);
    EXPECT_LT(shown, 10) << "a burst of 200 texts is shown at most every " << CStatusField::kRepaintMs << " ms";
    EXPECT_EQ(m_dlg.m_status.GetWindowText(), "Write Block 100 512 bytes");
    Pump(2 * CStatusField::kRepaintMs);
    EXPECT_EQ(field->text(), "Write Block 100 512 bytes");
    g_statusLine->SetWindowText("Finished");
    EXPECT_EQ(m_dlg.m_status.GetWindowText(), "Finished");
    Pump(2 * CStatusField::kRepaintMs);
    EXPECT_EQ(field->text(), "Finished");

    // A busy spell leaves the repaint's timer no turn; its texts still show.
    g_statusLine->SetWindowText("Sending 1 of 3");
    g_statusLine->SetWindowText("Sending 2 of 3");
    std::this_thread::sleep_for(std::chrono::milliseconds(CStatusField::kRepaintMs));
    g_statusLine->SetWindowText("Sending 3 of 3");
    EXPECT_EQ(field->text(), "Sending 3 of 3");

    g_statusLine->SetWindowText("Fisrt Block of images/lab/second-floor/switch-17/firmware-2.4.1.bin sent");
    Pump(2 * CStatusField::kRepaintMs);
    ExpectShowsItsStart(field);
}

TEST_F(ServerDlgTest, FlagsOutsideZeroToTwoAreShownUntickedAndBecomeZero)
{
    m_dlg.m_writeDir = MakeDir("uploads");
    m_dlg.m_enableWrite = 5;
    m_dlg.m_runMinimized = -1;
    ASSERT_TRUE(m_dlg.Create());

    EXPECT_EQ(m_dlg.m_enableWrite, 0);
    EXPECT_EQ(m_dlg.m_runMinimized, 0);
    EXPECT_FALSE(Box(IDC_ENABLE_WRITE)->isChecked());
    EXPECT_FALSE(m_dlg.IsIconic());
    Peer client(Port());
    EXPECT_EQ(client.Upload("refused.bin", "data"), 2);
}

TEST_F(ServerDlgTest, SaveDirectionRunsOnEnableWritesOnANewWriteDirectoryAndAtTheEnd)
{
    const std::string chosen = MakeDir("chosen/for/the/uploads/of/the/devices/in/the/lab");
    m_choices.push_back(chosen);
    const int result = RunModal(m_dlg, [&] {
        Click(IDC_ENABLE_WRITE);
        EXPECT_EQ(m_dlg.m_enableWrite, 1);
        Click(IDC_BROWSE);
        EXPECT_EQ(m_dlg.m_writeDir, chosen);
        ExpectShowsItsStart(Field(IDC_WRITE_DIR));
        Click(IDC_RUN_MINIMIZED);
        EXPECT_EQ(m_dlg.m_runMinimized, 0) << "Start Minimized has no handler of its own";
        Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(m_dlg.m_runMinimized, 1);
    EXPECT_EQ(m_chooserTitles, (std::vector<std::string>{"Choose Write Directory"}));
}

TEST_F(ServerDlgTest, EveryWayOfClosingLeavesTheControlsFinalStateInTheMembers)
{
    struct Case {
        const char* name;
        std::function<void(ServerDlgTest&, CServerDlg&)> close;
        int result;
    };
    const Case cases[] = {
        {"Exit",
         [](ServerDlgTest&, CServerDlg& d) { qobject_cast<QAbstractButton*>(QtWidget(d.GetDlgItem(IDOK)))->click(); },
         IDOK},
        {"Esc", [](ServerDlgTest&, CServerDlg& d) { PressKey(QtDialog(d)->focusWidget(), Qt::Key_Escape); }, IDCANCEL},
        {"close box", [](ServerDlgTest&, CServerDlg& d) { QtDialog(d)->close(); }, IDCANCEL},
        {"system menu Close", [](ServerDlgTest&, CServerDlg& d) { d.OnSysCommand(SC_CLOSE); }, IDCANCEL},
        {"Enter on the list box",
         [](ServerDlgTest&, CServerDlg& d) {
             QtWidget(d.GetDlgItem(IDC_SEARCH_DIRS))->setFocus();
             PressKey(QtWidget(d.GetDlgItem(IDC_SEARCH_DIRS)), Qt::Key_Return);
         },
         IDOK},
        {"Enter on a check box",
         [](ServerDlgTest&, CServerDlg& d) {
             QtWidget(d.GetDlgItem(IDC_RUN_MINIMIZED))->setFocus();
             PressKey(QtWidget(d.GetDlgItem(IDC_RUN_MINIMIZED)), Qt::Key_Return);
         },
         IDOK},
        {"Enter on the status field",
         [](ServerDlgTest&, CServerDlg& d) {
             QtWidget(d.GetDlgItem(IDC_STATUS))->setFocus();
             PressKey(QtWidget(d.GetDlgItem(IDC_STATUS)), Qt::Key_Enter);
         },
         IDOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CServerDlg dlg(0);
        const int result = RunModal(dlg, [&] {
            qobject_cast<QAbstractButton*>(QtWidget(dlg.GetDlgItem(IDC_ENABLE_WRITE)))->click();
            qobject_cast<QAbstractButton*>(QtWidget(dlg.GetDlgItem(IDC_RUN_MINIMIZED)))->click();
            c.close(*this, dlg);
        });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(dlg.m_enableWrite, 1);
        EXPECT_EQ(dlg.m_runMinimized, 1);
        EXPECT_FALSE(QtDialog(dlg)->isVisible()) << "destroyed";
    }
}

TEST_F(ServerDlgTest, EnterOnAPushButtonPressesThatButtonInstead)
{
    m_choices.push_back(std::nullopt);
    const int result = RunModal(m_dlg, [&] {
        QtWidget(m_dlg.GetDlgItem(IDC_ADD))->setFocus();
        PressKey(QtWidget(m_dlg.GetDlgItem(IDC_ADD)), Qt::Key_Return);
        EXPECT_EQ(m_chooserStarts.size(), 1u);
        EXPECT_TRUE(QtDialog(m_dlg)->isVisible());
        QtDialog(m_dlg)->close();
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(ServerDlgTest, WriteSettingsTakeEffectFromTheNextRequest)
{
    const std::string first = MakeDir("first");
    const std::string second = MakeDir("second");
    m_dlg.m_writeDir = first;
    ASSERT_TRUE(m_dlg.Create());
    Peer client(Port());
    const std::string data(700, 'w');

    EXPECT_EQ(client.Upload("up.bin", data), 2);
    Click(IDC_ENABLE_WRITE);
    EXPECT_EQ(client.Upload("up.bin", data), 0);
    EXPECT_EQ(ReadFile(first + "/up.bin"), data);

    m_choices.push_back(second);
    Click(IDC_BROWSE);
    EXPECT_EQ(client.Upload("up.bin", "later"), 0);
    EXPECT_EQ(ReadFile(second + "/up.bin"), "later");

    Click(IDC_ENABLE_WRITE);
    EXPECT_EQ(client.Upload("up.bin", data), 2);
    EXPECT_EQ(ReadFile(second + "/up.bin"), "later");
}

TEST_F(ServerDlgTest, AddListsInSortedPlaceWhileTheSearchKeepsTheOrderAdded)
{
    const std::string zeta = MakeDir("zeta", "file.bin", "from zeta");
    const std::string alpha = MakeDir("alpha", "file.bin", "from alpha");
    m_dlg.m_searchDirs = {zeta};
    ASSERT_TRUE(m_dlg.Create());

    m_choices = {alpha, alpha};
    Click(IDC_ADD);
    EXPECT_EQ(ListedItems(), (std::vector<std::string>{alpha, zeta}));
    EXPECT_EQ(m_dlg.m_searchDirs, (std::vector<std::string>{zeta, alpha}));
    EXPECT_EQ(Peer(Port()).Download("file.bin"), "from zeta");

    Click(IDC_ADD);
    EXPECT_EQ(ListedItems(), (std::vector<std::string>{alpha, alpha, zeta}));
    EXPECT_EQ(m_dlg.m_searchDirs, (std::vector<std::string>{zeta, alpha, alpha}));
    EXPECT_EQ(m_chooserTitles, (std::vector<std::string>{"Choose a search Directory", "Choose a search Directory"}));
}

TEST_F(ServerDlgTest, AddStartsFromTheLastChosenDirectoryAndACancelChangesNothing)
{
    const std::string one = MakeDir("one");
    const std::string two = MakeDir("two");
    ASSERT_TRUE(m_dlg.Create());
    m_choices = {one, std::nullopt, two};

    Click(IDC_ADD);
    SelectListed(one);
    Click(IDC_REMOVE);
    Click(IDC_ADD);
    EXPECT_TRUE(m_dlg.m_searchDirs.empty());
    EXPECT_TRUE(ListedItems().empty());
    Click(IDC_ADD);

    EXPECT_EQ(m_chooserStarts, (std::vector<std::string>{"", one, one}));
    EXPECT_EQ(m_dlg.m_searchDirs, (std::vector<std::string>{two}));
    EXPECT_EQ(ListedItems(), (std::vector<std::string>{two}));
}

// Each case selects with the mouse and double-clicks Remove: one directory
// goes per click, and after it nothing is selected, so the second click of the
// double click does nothing.
TEST_F(ServerDlgTest, RemoveTakesTheFirstExactlyEqualEntryAndTheSelectedItem)
{
    struct Case {
        const char* name;
        std::vector<std::string> dirs;
        const char* select; // null: nothing selected
        std::vector<std::string> dirsAfter;
        std::vector<std::string> listedAfter;
    };
    const Case cases[] = {
        {"duplicates", {"/d/x", "/d/y", "/d/x"}, "/d/x", {"/d/y", "/d/x"}, {"/d/x", "/d/y"}},
        {"letter case", {"/d/Abc", "/d/abc"}, "/d/abc", {"/d/Abc"}, {"/d/Abc"}},
        {"a neighbour on either side", {"/d/a", "/d/b", "/d/c"}, "/d/b", {"/d/a", "/d/c"}, {"/d/a", "/d/c"}},
        {"no selection", {"/d/a", "/d/b"}, nullptr, {"/d/a", "/d/b"}, {"/d/a", "/d/b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CServerDlg dlg(0);
        dlg.m_searchDirs = c.dirs;
        ASSERT_TRUE(dlg.Create());
        auto* list = qobject_cast<QListWidget*>(QtWidget(dlg.GetDlgItem(IDC_SEARCH_DIRS)));
        list->clearSelection();
        if (c.select) {
            QListWidgetItem* item = list->findItems(c.select, Qt::MatchExactly).first();
            MouseClick(list->viewport(), 1, list->visualItemRect(item).center());
            ASSERT_TRUE(item->isSelected());
        }
        MouseClick(QtWidget(dlg.GetDlgItem(IDC_REMOVE)), 2);

        EXPECT_EQ(dlg.m_searchDirs, c.dirsAfter);
        std::vector<std::string> listed;
        for (int row = 0; row < list->count(); ++row)
            listed.push_back(list->item(row)->text().toStdString());
        EXPECT_EQ(listed, c.listedAfter);
        EXPECT_TRUE(list->selectedItems().isEmpty());
    }
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(ServerDlgTest, OpensCentredButStartedMinimizedIsRestoredToTheTopLeftCorner)
{
    SKIP_UNLESS_WINDOWS_ARE_FRAMED();
    ASSERT_TRUE(m_dlg.Create());
    ASSERT_TRUE(WaitUntilOpened(QtDialog(m_dlg)));
    const QRect screen = QtDialog(m_dlg)->screen()->availableGeometry();
    const QPoint offCentre = QtDialog(m_dlg)->frameGeometry().center() - screen.center();
    EXPECT_LE(offCentre.manhattanLength(), 2);

    CServerDlg minimized(0);
    minimized.m_runMinimized = 1;
    ASSERT_TRUE(minimized.Create());
    Pump(100);
    QtDialog(minimized)->windowHandle()->showNormal(); // as the window manager restores it
    ASSERT_TRUE(WaitUntilOpened(QtDialog(minimized)));
    EXPECT_FALSE(minimized.IsIconic());
    EXPECT_EQ(QtDialog(minimized)->frameGeometry().topLeft(), QPoint(0, 0));
}

// At start the list has the focus and nothing selected, and shows nothing
// that looks like a selection until the user selects an entry.
TEST_F(ServerDlgTest, TheListLooksUnselectedWhileNothingIsSelected)
{
    m_dlg.m_searchDirs = {"/srv/a", "/srv/b"};
    ASSERT_TRUE(m_dlg.Create());
    ASSERT_TRUE(WaitUntilOpened(QtDialog(m_dlg)));
    ASSERT_TRUE(List()->hasFocus());
    ASSERT_TRUE(List()->selectedItems().isEmpty());
    const QImage atStart = List()->viewport()->grab().toImage();

    Field(IDC_STATUS)->setFocus();
    EXPECT_EQ(List()->viewport()->grab().toImage(), atStart) << "an entry looks selected";
    SelectListed("/srv/a");
    List()->setFocus();
    EXPECT_NE(List()->viewport()->grab().toImage(), atStart) << "a selection shows";
}

} // namespace
