// The directory field: its browse button's placement and looks, the
// read-only requirement, the click through the chooser and the exchanges.
#include "ui/DirEdit.h"
#include "platform/MessageBox.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "ui/DirChooser.h"
#include "ui/dialog/DataExchange.h"
#include "ui/dialog/Dialog.h"
#include "ui/dialog/qt/DirectoryDialogSeam.h"
#include "ui/dialog/qt/TemplateLoader.h"
#include "ui/dialog/qt/WindowHandle.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FieldDialog : public CDialog {
public:
    explicit FieldDialog(int templateId = IDD_VANTREL_DIALOG, int fieldId = IDC_WRITE_DIR)
        : CDialog(templateId),
          m_fieldId(fieldId)
    {
    }
    void DoDataExchange(CDataExchange* pDX) override { DDX_DirEdit(pDX, m_fieldId, m_field, m_options, m_title); }
    void OnCommand(int id, int notification) override
    {
        m_commands.emplace_back(id, notification);
        CDialog::OnCommand(id, notification);
    }
    QLineEdit* Field() const { return qobject_cast<QLineEdit*>(QtWidget(GetDlgItem(m_fieldId))); }
    QPushButton* Button() const { return qobject_cast<QPushButton*>(QtWidget(GetDlgItem(IDC_BROWSE))); }

    int m_fieldId;
    CDirEdit m_field;
    int m_options = 0;
    std::string m_title = "Choose Write Directory";
    std::vector<std::pair<int, int>> m_commands;
};

class DirEditTest : public testing::Test {
protected:
    void SetUp() override
    {
        AfxSetMessageBoxSeam([this](const std::string& text, const std::string&) {
            m_boxes.push_back(text);
            return IDOK;
        });
        SetDirectoryDialogSeam([this](const DirectoryDialogRequest& request) {
            m_requests.push_back(request);
            return m_answer;
        });
    }
    void TearDown() override
    {
        AfxSetMessageBoxSeam({});
        SetDirectoryDialogSeam({});
        ClearResStringOverrides();
    }

    // Whether a click now opens the legacy dialog, and with which title.
    std::pair<bool, std::string> BrowseWith(CDirEdit& field)
    {
        field.OnBrowse();
        const DirectoryDialogRequest& request = m_requests.back();
        return {request.kind == DirectoryDialogKind::Legacy, request.title};
    }

    std::vector<std::string> m_boxes;
    std::vector<DirectoryDialogRequest> m_requests;
    std::optional<std::string> m_answer;
};

} // namespace

TEST_F(DirEditTest, BrowseButtonStandsFlushRightOfTheFieldAsHighAsIt)
{
    FieldDialog dialog;
    ASSERT_TRUE(dialog.Create());
    QApplication::processEvents();
    QPushButton* button = dialog.Button();
    ASSERT_NE(button, nullptr);
    const QRect field = dialog.Field()->geometry();
    EXPECT_EQ(button->geometry(), QRect(field.x() + field.width(), field.y(), 8 * field.height() / 10, field.height()));
    EXPECT_EQ(field, DialogUnitsToPixels(15, 70, 155, 14, ComputeBaseUnits(QtDialog(dialog)->font())))
        << "the field keeps its place";
    EXPECT_EQ(button->text(), "...");
    EXPECT_EQ(button->toolTip(), "Modify");
    EXPECT_FALSE(button->focusPolicy() & Qt::TabFocus) << "Tab passes it by";
    EXPECT_FALSE(button->autoDefault());
    EXPECT_EQ(button->font(), QtDialog(dialog)->font());
    EXPECT_TRUE(button->isVisible());

    const QImage picture = QtDialog(dialog)->grab().toImage();
    QDir().mkpath(VANTREL_BINARY_DIR "/shots");
    picture.save(VANTREL_BINARY_DIR "/shots/write-directory-field.png");
    EXPECT_TRUE(QRect(QPoint(0, 0), picture.size()).contains(button->geometry()));
    EXPECT_GE(button->x(), field.right());
    // The button's face differs from the dialog's background around it.
    const QPoint middle = button->geometry().center();
    EXPECT_NE(picture.pixel(middle.x(), button->y() + 1), picture.pixel(middle.x(), button->y() - 3));
}

TEST_F(DirEditTest, ButtonIsEightTenthsAsWideAsTheFieldIsHigh)
{
    const std::pair<int, int> cases[] = {{23, 18}, {24, 19}, {20, 16}, {9, 7}};
    for (const auto& [height, width] : cases) {
        QWidget parent;
        auto* edit = new QLineEdit(&parent);
        edit->setReadOnly(true);
        edit->setGeometry(10, 20, 100, height);
        CDirEdit field;
        ASSERT_TRUE(field.SubclassEdit(edit));
        EXPECT_EQ(FindControl(&parent, IDC_BROWSE)->geometry(), QRect(110, 20, width, height)) << height;
    }
}

TEST_F(DirEditTest, TakesOverOnlyAnExistingReadOnlyEditControl)
{
    QWidget parent;
    auto* label = new QLabel(&parent);
    auto* writable = new QLineEdit(&parent);
    auto* readOnly = new QLineEdit(&parent);
    readOnly->setReadOnly(true);
    struct Case {
        const char* what;
        QWidget* control;
        BOOL result;
        bool bound;
    };
    const Case cases[] = {
        {"no control", nullptr, FALSE, false},
        {"a label", label, FALSE, false},
        {"a writable edit", writable, FALSE, true},
        {"a read-only edit", readOnly, TRUE, true},
    };
    for (const Case& c : cases) {
        CDirEdit field;
        EXPECT_EQ(field.SubclassEdit(c.control), c.result) << c.what;
        EXPECT_EQ(field.GetSafeHwnd() != nullptr, c.bound) << c.what;
        EXPECT_EQ(FindControl(&parent, IDC_BROWSE) != nullptr, c.result == TRUE) << c.what;
    }
}

TEST_F(DirEditTest, WritableFieldFailsTheExchangeWithTheUnsupportedOperationBox)
{
    FieldDialog dialog(IDD_LEGACY_DIR_DIALOG, edt1);
    EXPECT_FALSE(dialog.Create());
    EXPECT_EQ(QtDialog(dialog)->result(), -1);
    EXPECT_EQ(m_boxes, std::vector<std::string>{"An unsupported operation was attempted."});
    EXPECT_EQ(dialog.Button(), nullptr);
    EXPECT_EQ(dialog.m_field.GetSafeHwnd(), dialog.Field()) << "stays taken over, without a button";
}

TEST_F(DirEditTest, ClickOpensTheChooserFromTheFieldAndTakesTheChoice)
{
    QTemporaryDir temp;
    const std::string chosen = temp.path().toStdString();
    struct Case {
        int options;
        std::optional<std::string> answer;
        DirectoryDialogKind kind;
        std::string text;
        bool notified;
    };
    const Case cases[] = {
        {0, chosen, DirectoryDialogKind::FolderBrowser, chosen, true},
        {0, std::nullopt, DirectoryDialogKind::FolderBrowser, "/old", false},
        {1, chosen, DirectoryDialogKind::Legacy, chosen, true},
        {2, std::nullopt, DirectoryDialogKind::FolderBrowser, "/old", false},
    };
    for (const Case& c : cases) {
        FieldDialog dialog;
        dialog.m_options = c.options;
        ASSERT_TRUE(dialog.Create());
        dialog.Field()->setText("/old");
        dialog.m_commands.clear();
        m_requests.clear();
        m_answer = c.answer;
        dialog.Button()->click();
        ASSERT_EQ(m_requests.size(), 1u);
        EXPECT_EQ(m_requests[0].kind, c.kind) << c.options;
        EXPECT_EQ(m_requests[0].startPath, "/old");
        EXPECT_EQ(m_requests[0].title, "Choose Write Directory");
        EXPECT_EQ(m_requests[0].owner, dialog.Field());
        EXPECT_EQ(dialog.Field()->text().toStdString(), c.text);
        using Commands = std::vector<std::pair<int, int>>;
        const Commands expected = c.notified ? Commands{{IDC_WRITE_DIR, EN_CHANGE}} : Commands{};
        EXPECT_EQ(dialog.m_commands, expected) << c.options;
    }
}

TEST_F(DirEditTest, EveryExchangeStoresOptionsAndTitleWithoutASecondButton)
{
    FieldDialog dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(BrowseWith(dialog.m_field), std::make_pair(false, std::string("Choose Write Directory")));
    const std::pair<BOOL, int> exchanges[] = {{TRUE, 1}, {FALSE, 0}, {TRUE, 3}, {FALSE, 2}};
    for (const auto& [save, options] : exchanges) {
        dialog.m_options = options;
        dialog.m_title = "title " + std::to_string(options);
        EXPECT_TRUE(dialog.UpdateData(save));
        EXPECT_EQ(BrowseWith(dialog.m_field), std::make_pair((options & 1) != 0, dialog.m_title)) << options;
    }
    int buttons = 0;
    for (QWidget* child : QtDialog(dialog)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        buttons += GetControlId(child) == IDC_BROWSE;
    EXPECT_EQ(buttons, 1);
}

TEST_F(DirEditTest, SaveBeforeTheFirstLoadDoesNotTakeTheControlOver)
{
    class SavingFirstDialog : public FieldDialog {
    public:
        BOOL OnInitDialog() override
        {
            UpdateData(TRUE);
            m_boundBeforeLoad = m_field.GetSafeHwnd() != nullptr;
            m_field.OnBrowse();
            return CDialog::OnInitDialog();
        }
        bool m_boundBeforeLoad = true;
    };
    SavingFirstDialog dialog;
    dialog.m_title = "stored by the save";
    ASSERT_TRUE(dialog.Create());
    EXPECT_FALSE(dialog.m_boundBeforeLoad);
    ASSERT_EQ(m_requests.size(), 1u);
    EXPECT_EQ(m_requests[0].title, "stored by the save");
    EXPECT_NE(dialog.Button(), nullptr);
}

TEST_F(DirEditTest, TooltipIsCreatedOnceFromTheFirstEvent)
{
    FieldDialog dialog;
    ASSERT_TRUE(dialog.Create());
    QApplication::processEvents();
    ASSERT_EQ(dialog.Button()->toolTip(), "Modify");
    SetResStringOverride(IDS_MODIFY, "Changed");
    dialog.Button()->hide();
    dialog.Button()->show();
    dialog.Button()->repaint();
    QApplication::processEvents();
    EXPECT_EQ(dialog.Button()->toolTip(), "Modify");
}
