// The directory chooser's two dialogs, answered through the seam as a user
// would answer them: where they open, what they show and what they return.
#include "ui/DirChooser.h"
#include "res/ResourceIds.h"
#include "tests/support/WindowManager.h"
#include "ui/ServerDlg.h"
#include "ui/dialog/qt/DirectoryDialogSeam.h"
#include "ui/dialog/qt/LegacyDirDialog.h"
#include "ui/dialog/qt/WindowHandle.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class DirChooserTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        ASSERT_TRUE(QDir(m_temp.path()).mkpath("a/b"));
        ASSERT_TRUE(QDir(m_temp.path()).mkpath("a/c"));
    }
    void TearDown() override { SetDirectoryDialogSeam({}); }

    std::string Dir(const char* relative) const { return QDir(m_temp.path()).filePath(relative).toStdString(); }

    // Answers every dialog with answer, after look has seen it.
    void Answer(std::optional<std::string> answer, std::function<void(const DirectoryDialogRequest&)> look = {})
    {
        SetDirectoryDialogSeam([this, answer, look](const DirectoryDialogRequest& request) {
            m_kinds.push_back(request.kind);
            m_starts.push_back(request.startPath);
            if (look)
                look(request);
            return answer;
        });
    }

    QTemporaryDir m_temp;
    std::vector<DirectoryDialogKind> m_kinds;
    std::vector<std::string> m_starts;
};

} // namespace

TEST_F(DirChooserTest, FolderBrowserOpensAtTheStartAndReturnsTheAbsoluteChoice)
{
    struct Case {
        std::string start;
        std::optional<std::string> answer;
        QString opensAt;
        BOOL result;
        std::string path;
    };
    const Case cases[] = {
        {Dir("a"), Dir("a/b"), QString::fromStdString(Dir("a")), TRUE, Dir("a/b")},
        {Dir("a"), Dir("a"), QString::fromStdString(Dir("a")), TRUE, Dir("a")},
        {Dir("a/b"), Dir("a/b/.."), QString::fromStdString(Dir("a/b")), TRUE, Dir("a")},
        {Dir("a"), "/", QString::fromStdString(Dir("a")), TRUE, "/"},
        {"", Dir("a/c"), QDir::homePath(), TRUE, Dir("a/c")},
        {Dir("gone"), Dir("a"), QDir::homePath(), TRUE, Dir("a")},
        {Dir("a"), std::nullopt, QString::fromStdString(Dir("a")), FALSE, Dir("a")},
    };
    for (const Case& c : cases) {
        QString opened, title;
        bool directoryMode = false;
        Answer(c.answer, [&](const DirectoryDialogRequest& request) {
            auto* dialog = qobject_cast<QFileDialog*>(request.dialog);
            ASSERT_NE(dialog, nullptr);
            opened = dialog->directory().absolutePath();
            title = dialog->windowTitle();
            directoryMode = dialog->fileMode() == QFileDialog::Directory;
        });
        std::string path = c.start;
        EXPECT_EQ(CDirChooser().ChooseDirectory(path, nullptr, FALSE, "Choose a search Directory"), c.result)
            << c.start;
        EXPECT_EQ(path, c.result ? c.path : c.start);
        EXPECT_EQ(opened, c.opensAt) << c.start;
        EXPECT_EQ(title, "Choose a search Directory");
        EXPECT_TRUE(directoryMode);
    }
    EXPECT_EQ(m_starts.front(), Dir("a")) << "the seam sees the caller's start";
}

// Its Cancel button is always within reach: tests/CMakeLists.txt runs this
// case once more at twice the scale, where the window tests' 1280 x 800
// screen holds 640 x 400 and the browser is taller than that.
TEST_F(DirChooserTest, FolderBrowserOpensCentredOverItsOwnerAndInsideTheScreen)
{
    SKIP_UNLESS_WINDOWS_ARE_FRAMED();
    CServerDlg owner(0);
    ASSERT_TRUE(owner.Create());
    ASSERT_TRUE(WaitUntilOpened(QtDialog(owner)));
    Answer(std::nullopt, [&](const DirectoryDialogRequest& request) {
        ASSERT_TRUE(WaitUntilOpened(request.dialog));
        const QRect frame = request.dialog->frameGeometry();
        const QRect workArea = request.dialog->screen()->availableGeometry();
        EXPECT_TRUE(workArea.contains(frame));
        EXPECT_LE((frame.center() - QtDialog(owner)->frameGeometry().center()).manhattanLength(), 2);
        const QPushButton* cancel = request.dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel);
        EXPECT_TRUE(workArea.contains(QRect(cancel->mapToGlobal(QPoint()), cancel->size())));
    });
    std::string path;
    EXPECT_FALSE(CDirChooser().ChooseDirectory(path, owner.GetSafeHwnd(), FALSE, "Choose a search Directory"));
}

TEST_F(DirChooserTest, ForceLegacySelectsTheLegacyDialog)
{
    Answer(std::nullopt);
    std::string path;
    CDirChooser().ChooseDirectory(path, nullptr, FALSE, "t");
    CDirChooser().ChooseDirectory(path, nullptr, TRUE, "t");
    CDirChooser().ChooseDirectory(path, nullptr, 5, "t");
    EXPECT_EQ(m_kinds,
              (std::vector<DirectoryDialogKind>{DirectoryDialogKind::FolderBrowser, DirectoryDialogKind::Legacy,
                                                DirectoryDialogKind::Legacy}));
}

TEST_F(DirChooserTest, LegacyDialogShowsOnlyTheDirectoryControls)
{
    Answer(std::nullopt, [&](const DirectoryDialogRequest& request) {
        auto* dialog = WrapperOf<CLegacyDirDialog>(request.dialog);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(request.dialog->windowTitle(), "Choose Write Directory");
        for (int id : {stc2, stc3, edt1, lst1, cmb1, pshHelp, chx1})
            EXPECT_TRUE(QtWidget(dialog->GetDlgItem(id))->isHidden()) << id;
        for (int id : {stc1, stc4, lst2, cmb2, IDOK, IDCANCEL})
            EXPECT_FALSE(QtWidget(dialog->GetDlgItem(id))->isHidden()) << id;
        EXPECT_EQ(qobject_cast<QLineEdit*>(QtWidget(dialog->GetDlgItem(edt1)))->text(), "Junk");
        EXPECT_EQ(qobject_cast<QLabel*>(QtWidget(dialog->GetDlgItem(stc1)))->text().toStdString(), Dir("a"));
        QApplication::processEvents();
        EXPECT_EQ(request.dialog->focusWidget(), QtWidget(dialog->GetDlgItem(lst2)));

        auto* list = qobject_cast<QListWidget*>(QtWidget(dialog->GetDlgItem(lst2)));
        QDir().mkpath(VANTREL_BINARY_DIR "/shots");
        request.dialog->grab().save(VANTREL_BINARY_DIR "/shots/legacy-directory-dialog.png");
        EXPECT_EQ(list->currentRow(), 0) << "the first paint selects the first entry";
        list->setCurrentRow(2);
        request.dialog->grab();
        EXPECT_EQ(list->currentRow(), 2) << "later paints leave the selection";

        // The entry itself, indented, not a temporary folder whose name ends in b.
        const auto subdirectory = list->findItems(" b", Qt::MatchEndsWith);
        ASSERT_EQ(subdirectory.size(), 1);
        emit list->itemDoubleClicked(subdirectory.first());
        EXPECT_EQ(qobject_cast<QLabel*>(QtWidget(dialog->GetDlgItem(stc1)))->text().toStdString(), Dir("a/b"))
            << "a double click opens an entry";
    });
    std::string path = Dir("a");
    EXPECT_FALSE(CDirChooser().ChooseDirectory(path, nullptr, TRUE, "Choose Write Directory"));
    EXPECT_EQ(path, Dir("a"));
}

TEST_F(DirChooserTest, LegacyDialogCutsTheDirectoryFromTheReturnedName)
{
    struct Case {
        std::optional<std::string> answer;
        BOOL result;
        std::string path;
    };
    const Case cases[] = {
        {Dir("a/b"), TRUE, Dir("a/b")},
        {Dir("a/c/"), TRUE, Dir("a/c")},
        {"/", TRUE, "/"},
        {std::nullopt, FALSE, "unchanged"},
    };
    for (const Case& c : cases) {
        Answer(c.answer);
        std::string path = "unchanged";
        EXPECT_EQ(CDirChooser().ChooseDirectory(path, nullptr, TRUE, "t"), c.result);
        EXPECT_EQ(path, c.path);
    }
}

TEST(LegacyDirDialog, EnterInTheListOpensTheHighlightedDirectoryThenReturnsJunkInIt)
{
    QTemporaryDir temp;
    ASSERT_TRUE(QDir(temp.path()).mkdir("sub"));
    CLegacyDirDialog dialog;
    dialog.SetInitialDir(temp.path().toStdString());
    ASSERT_TRUE(dialog.Create());
    QApplication::processEvents();
    auto* list = qobject_cast<QListWidget*>(QtWidget(dialog.GetDlgItem(lst2)));
    ASSERT_EQ(QtDialog(dialog)->focusWidget(), list);
    list->setCurrentItem(list->findItems(" sub", Qt::MatchEndsWith).value(0));
    auto pressEnter = [&] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(list, &press);
    };

    pressEnter();
    EXPECT_EQ(QtDialog(dialog)->result(), 0) << "still open";
    const std::string sub = temp.path().toStdString() + "/sub";
    EXPECT_EQ(qobject_cast<QLabel*>(QtWidget(dialog.GetDlgItem(stc1)))->text().toStdString(), sub);

    pressEnter();
    EXPECT_EQ(QtDialog(dialog)->result(), IDOK);
    EXPECT_EQ(dialog.GetPathName(), sub + "/Junk");
    EXPECT_EQ(dialog.GetFileOffset(), static_cast<int>(sub.size()) + 1);
}
