#include "platform/WinUser.h"
#include "res/AppIcon.h"
#include "res/AppIcon.xpm"
#include "res/DialogTemplates.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QImage>
#include <QSet>
#include <gtest/gtest.h>

TEST(StringTable, HoldsTheProgramsStringsAndNothingElse)
{
    const std::pair<UINT, std::string> cases[] = {
        {IDS_MODIFY, "Modify"},
        {IDS_BROWSE, "..."},
        {IDS_ABOUTBOX, "&About Vantrel..."},
        {IDS_SOCKETS_INIT_FAILED, "Windows sockets initialization failed."},
        {2, ""},
        {102, ""},
    };
    for (const auto& [id, text] : cases)
        EXPECT_EQ(LoadResString(id), text) << id;
}

TEST(StringTable, OverridesReplaceOrBlankUntilCleared)
{
    SetResStringOverride(IDS_ABOUTBOX, "");
    SetResStringOverride(IDS_MODIFY, "Change");
    EXPECT_EQ(LoadResString(IDS_ABOUTBOX), "");
    EXPECT_EQ(LoadResString(IDS_MODIFY), "Change");
    EXPECT_EQ(LoadResString(IDS_BROWSE), "...");
    ClearResStringOverrides();
    EXPECT_EQ(LoadResString(IDS_ABOUTBOX), "&About Vantrel...");
}

TEST(DialogTemplates, CarryCaptionSizeFontAndControlsInTemplateOrder)
{
    struct Case {
        int id;
        std::string caption;
        int w, h;
        std::string font;
        std::vector<int> controlIds;
    };
    const Case cases[] = {
        {IDD_VANTREL_DIALOG,
         "Vantrel server",
         237,
         141,
         "MS Sans Serif",
         {IDC_STATIC, 1000, 1001, 1002, IDC_STATIC, 1003, 1004, 1011, IDC_STATIC, 1006, 1010, IDOK}},
        {IDD_ABOUTBOX, "About Vantrel", 232, 81, "MS Sans Serif", {IDC_STATIC, IDOK, IDC_STATIC}},
        {IDD_LEGACY_DIR_DIALOG,
         "Open",
         204,
         135,
         "Helv",
         {1090, 1152, 1120, IDC_STATIC, 1088, 1121, 1089, 1136, 1091, 1137, IDOK, IDCANCEL, 1038, 1040}},
    };
    for (const Case& c : cases) {
        const CDialogTemplate* t = FindDialogTemplate(c.id);
        ASSERT_NE(t, nullptr) << c.id;
        EXPECT_EQ(t->caption, c.caption);
        EXPECT_EQ(t->w, c.w);
        EXPECT_EQ(t->h, c.h);
        EXPECT_EQ(t->fontPoints, 8);
        EXPECT_EQ(t->fontName, c.font);
        std::vector<int> ids;
        for (const CDialogControl& control : t->controls)
            ids.push_back(control.id);
        EXPECT_EQ(ids, c.controlIds) << c.id;
    }
    EXPECT_EQ(FindDialogTemplate(101), nullptr);
}

TEST(DialogTemplates, MainWindowStylesThatTheWindowDependsOn)
{
    const CDialogTemplate* t = FindDialogTemplate(IDD_VANTREL_DIALOG);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->exStyle, WS_EX_APPWINDOW);
    EXPECT_TRUE(t->style & WS_MINIMIZEBOX);
    EXPECT_FALSE(t->style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
    auto styleOf = [&](int id) {
        for (const CDialogControl& control : t->controls)
            if (control.id == id)
                return control.style;
        return DWORD{0};
    };
    EXPECT_TRUE(styleOf(IDC_SEARCH_DIRS) & LBS_SORT);
    EXPECT_TRUE(styleOf(IDC_WRITE_DIR) & ES_READONLY);
    EXPECT_TRUE(styleOf(IDC_STATUS) & ES_READONLY);
    EXPECT_EQ(styleOf(IDOK) & 0xF, BS_PUSHBUTTON) << "Exit is no default button";
}

TEST(AppIcon, IsFoundByItsIdAndNoOtherId)
{
    EXPECT_FALSE(LoadIconImage(IDR_MAINFRAME).argb.empty());
    EXPECT_TRUE(LoadIconImage(IDR_MAINFRAME + 1).argb.empty());
    EXPECT_TRUE(LoadIconImage(0).argb.empty());
}

// Qt's own reader of the same picture is the reference.
TEST(AppIcon, IsOneImageOf32By32InAtMost256ColoursAsDrawn)
{
    const CIconImage icon = LoadIconImage(IDR_MAINFRAME);
    ASSERT_EQ(icon.width, 32);
    ASSERT_EQ(icon.height, 32);
    ASSERT_EQ(icon.argb.size(), 32u * 32u);
    const QImage drawn = QImage(app_icon_xpm).convertToFormat(QImage::Format_ARGB32);
    QSet<std::uint32_t> colours;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const std::uint32_t pixel = icon.argb[static_cast<std::size_t>(y * 32 + x)];
            const QRgb expected = drawn.pixel(x, y);
            EXPECT_EQ(pixel, qAlpha(expected) == 0 ? 0u : expected) << x << "," << y;
            colours.insert(pixel);
        }
    }
    EXPECT_GT(colours.size(), 8);
    EXPECT_LE(colours.size(), 256);
}
