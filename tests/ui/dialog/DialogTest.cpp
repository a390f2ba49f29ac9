// The dialog framework: the modal run and its end, data exchange in both
// directions, command routing, the dialog keys and the icons.
#include "ui/dialog/Dialog.h"
#include "platform/MessageBox.h"
#include "res/AppIcon.h"
#include "res/ResourceIds.h"
#include "tests/support/WindowManager.h"
#include "ui/dialog/Controls.h"
#include "ui/dialog/DataExchange.h"
#include "ui/dialog/Icons.h"
#include "ui/dialog/qt/IconRendering.h"
#include "ui/dialog/qt/WindowHandle.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class RecordingDialog : public CDialog {
public:
    RecordingDialog()
        : CDialog(IDD_VANTREL_DIALOG)
    {
    }

    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_STATUS, m_status);
        DDX_Control(pDX, IDC_SEARCH_DIRS, m_list);
        DDX_Text(pDX, IDC_WRITE_DIR, m_text);
        DDX_Check(pDX, IDC_ENABLE_WRITE, m_flag);
        if (m_failingExchange)
            DDX_Text(pDX, 4242, m_text);
    }
    void OnCommand(int id, int notification) override
    {
        m_commands.emplace_back(id, notification);
        CDialog::OnCommand(id, notification);
    }
    BOOL DestroyWindow() override
    {
        ++m_destroyed;
        return CDialog::DestroyWindow();
    }
    QLineEdit* Field() const { return qobject_cast<QLineEdit*>(QtWidget(GetDlgItem(IDC_WRITE_DIR))); }
    QCheckBox* Box() const { return qobject_cast<QCheckBox*>(QtWidget(GetDlgItem(IDC_ENABLE_WRITE))); }

    CEdit m_status;
    CListBox m_list;
    std::string m_text = "initial";
    int m_flag = 0;
    bool m_failingExchange = false;
    int m_destroyed = 0;
    std::vector<std::pair<int, int>> m_commands;
};

class DialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        AfxSetMessageBoxSeam([this](const std::string& text, const std::string&) {
            m_boxes.push_back(text);
            return IDOK;
        });
    }
    void TearDown() override { AfxSetMessageBoxSeam({}); }

    static void Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(target, &press);
    }

    std::vector<std::string> m_boxes;
};

} // namespace

TEST_F(DialogTest, DoModalInitialisesRunsAndDestroysReturningTheEndValue)
{
    RecordingDialog dialog;
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(QtDialog(dialog)->isVisible());
        EXPECT_EQ(dialog.Field()->text(), "initial");
        dialog.Field()->setText("changed");
        qobject_cast<QPushButton*>(QtWidget(dialog.GetDlgItem(IDOK)))->click();
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_text, "changed") << "OnOK saves before it ends";
    EXPECT_EQ(dialog.m_destroyed, 1);
    EXPECT_FALSE(QtDialog(dialog)->isVisible());
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(DialogTest, FailedInitialExchangeShowsTheFailureAndEndsWithMinusOne)
{
    RecordingDialog dialog;
    dialog.m_failingExchange = true;
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_EQ(m_boxes, std::vector<std::string>{"An unsupported operation was attempted."});
    EXPECT_EQ(dialog.m_destroyed, 1);
    EXPECT_FALSE(dialog.UpdateData(TRUE));
}

TEST_F(DialogTest, ControlNotificationsReachOnCommandExceptDuringAnExchange)
{
    RecordingDialog dialog;
    dialog.m_text = "loaded";
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.Field()->text(), "loaded");
    EXPECT_TRUE(dialog.m_commands.empty()) << "the load's own text change is not reported";

    dialog.Field()->setText("typed");
    dialog.Box()->click();
    qobject_cast<QPushButton*>(QtWidget(dialog.GetDlgItem(IDC_ADD)))->click();
    using Commands = std::vector<std::pair<int, int>>;
    EXPECT_EQ(dialog.m_commands,
              (Commands{{IDC_WRITE_DIR, EN_CHANGE}, {IDC_ENABLE_WRITE, BN_CLICKED}, {IDC_ADD, BN_CLICKED}}));
    EXPECT_EQ(QtDialog(dialog)->result(), 0) << "still running";
}

TEST_F(DialogTest, KeysAndCloseBoxSendTheCommandsOfWindowsDialogs)
{
    struct Case {
        const char* what;
        int focusId;
        std::function<void(RecordingDialog&)> act;
        int command;
        int result; // 0: still running
    };
    const Case cases[] = {
        {"Enter in the list", IDC_SEARCH_DIRS,
         [](RecordingDialog& d) { Press(QtWidget(d.GetDlgItem(IDC_SEARCH_DIRS)), Qt::Key_Return); }, IDOK, IDOK},
        {"Enter in a read-only field", IDC_STATUS,
         [](RecordingDialog& d) { Press(QtWidget(d.GetDlgItem(IDC_STATUS)), Qt::Key_Enter, Qt::KeypadModifier); }, IDOK,
         IDOK},
        {"Enter on a check box", IDC_ENABLE_WRITE,
         [](RecordingDialog& d) { Press(QtWidget(d.GetDlgItem(IDC_ENABLE_WRITE)), Qt::Key_Return); }, IDOK, IDOK},
        {"Enter on a push button", IDC_ABOUT,
         [](RecordingDialog& d) { Press(QtWidget(d.GetDlgItem(IDC_ABOUT)), Qt::Key_Return); }, IDC_ABOUT, 0},
        {"Esc", IDC_SEARCH_DIRS,
         [](RecordingDialog& d) { Press(QtWidget(d.GetDlgItem(IDC_SEARCH_DIRS)), Qt::Key_Escape); }, IDCANCEL,
         IDCANCEL},
        {"close box", IDC_SEARCH_DIRS, [](RecordingDialog& d) { QtDialog(d)->close(); }, IDCANCEL, IDCANCEL},
        {"system menu Close", IDC_SEARCH_DIRS, [](RecordingDialog& d) { d.OnSysCommand(0xF060); }, IDCANCEL, IDCANCEL},
    };
    for (const Case& c : cases) {
        RecordingDialog dialog;
        ASSERT_TRUE(dialog.Create());
        QtDialog(dialog)->activateWindow();
        ASSERT_TRUE(WaitUntilOpened(QtDialog(dialog))) << c.what;
        QtWidget(dialog.GetDlgItem(c.focusId))->setFocus();
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), QtWidget(dialog.GetDlgItem(c.focusId))) << c.what;
        c.act(dialog);
        ASSERT_FALSE(dialog.m_commands.empty()) << c.what;
        EXPECT_EQ(dialog.m_commands.back().first, c.command) << c.what;
        EXPECT_EQ(QtDialog(dialog)->result(), c.result) << c.what;
        EXPECT_EQ(QtDialog(dialog)->isVisible(), c.result == 0) << c.what;
    }
}

TEST_F(DialogTest, CheckExchangeTakesZeroToTwoAndSavesZeroOrOne)
{
    struct Case {
        int stored;
        bool ticked;
        int afterLoad;
    };
    const Case cases[]
        = {{0, false, 0}, {1, true, 1}, {2, true, 2}, {5, false, 0}, {-1, false, 0}, {0x7fffffff, false, 0}};
    for (const Case& c : cases) {
        RecordingDialog dialog;
        dialog.m_flag = c.stored;
        ASSERT_TRUE(dialog.Create());
        EXPECT_EQ(dialog.Box()->isChecked(), c.ticked) << c.stored;
        EXPECT_EQ(dialog.m_flag, c.afterLoad) << c.stored;
        EXPECT_TRUE(dialog.UpdateData(TRUE));
        EXPECT_EQ(dialog.m_flag, c.ticked ? 1 : 0) << c.stored;
    }
}

TEST_F(DialogTest, ControlWrappersBindOnceAndDriveTheirWidgets)
{
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    const HWND status = dialog.m_status.GetSafeHwnd();
    ASSERT_EQ(status, QtWidget(dialog.GetDlgItem(IDC_STATUS)));
    EXPECT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_EQ(dialog.m_status.GetSafeHwnd(), status);

    dialog.m_status.SetWindowText("Fisrt Block of a.bin sent");
    EXPECT_EQ(dialog.m_status.GetWindowText(), "Fisrt Block of a.bin sent");

    CListBox& list = dialog.m_list;
    EXPECT_EQ(list.GetCurSel(), LB_ERR);
    EXPECT_EQ(list.AddString("/srv/b"), 0);
    EXPECT_EQ(list.AddString("/srv/C"), 1);
    EXPECT_EQ(list.AddString("/srv/a"), 0);
    EXPECT_EQ(list.AddString("/srv/B"), 2) << "after the equal one, ignoring case";
    std::vector<std::string> items(4);
    for (int i = 0; i < 4; ++i)
        list.GetText(i, items[i]);
    EXPECT_EQ(items, (std::vector<std::string>{"/srv/a", "/srv/b", "/srv/B", "/srv/C"}));
    qobject_cast<QListWidget*>(QtWidget(list.GetSafeHwnd()))->setCurrentRow(2);
    EXPECT_EQ(list.GetCurSel(), 2);
    EXPECT_EQ(list.DeleteString(2), 3);
    EXPECT_EQ(list.DeleteString(7), LB_ERR);
}

TEST_F(DialogTest, OpensCentredUnlessMinimizedDuringInitialisation)
{
    class MinimizingDialog : public RecordingDialog {
        BOOL OnInitDialog() override
        {
            CDialog::OnInitDialog();
            ShowWindow(SW_SHOWMINIMIZED);
            return TRUE;
        }
    };
    SKIP_UNLESS_WINDOWS_ARE_FRAMED();
    RecordingDialog centred;
    ASSERT_TRUE(centred.Create());
    ASSERT_TRUE(WaitUntilOpened(QtDialog(centred)));
    const QRect screen = QtDialog(centred)->screen()->availableGeometry();
    EXPECT_LE((QtDialog(centred)->frameGeometry().center() - screen.center()).manhattanLength(), 2);
    EXPECT_FALSE(centred.IsIconic());

    MinimizingDialog minimized;
    ASSERT_TRUE(minimized.Create());
    QApplication::processEvents();
    EXPECT_TRUE(minimized.IsIconic());
    EXPECT_EQ(QtDialog(minimized)->pos(), QPoint(0, 0));
}

// The desktop draws a window's icon at several sizes; each is drawn from the
// one drawing, the 32-pixel one being the drawing itself.
TEST(Icons, TheWindowIconComesAtEachSizeTheDesktopAsksFor)
{
    const QIcon icon = QtIcon(AfxLoadIcon(IDR_MAINFRAME));
    const QList<QSize> sizes{{16, 16}, {24, 24}, {32, 32}, {48, 48}};
    EXPECT_EQ(icon.availableSizes(), sizes);
    const auto premultiplied
        = [](const QImage& image) { return image.convertToFormat(QImage::Format_ARGB32_Premultiplied); };
    for (const QSize& size : sizes)
        EXPECT_EQ(premultiplied(icon.pixmap(size, 1.0).toImage()),
                  premultiplied(RenderIcon(IDR_MAINFRAME, size.width())))
            << size.width();
    const CIconImage drawn = LoadIconImage(IDR_MAINFRAME);
    EXPECT_EQ(RenderIcon(IDR_MAINFRAME, 32),
              QImage(reinterpret_cast<const uchar*>(drawn.argb.data()), 32, 32, QImage::Format_ARGB32));
    EXPECT_EQ(AfxLoadIcon(IDR_MAINFRAME + 1), nullptr);
}
