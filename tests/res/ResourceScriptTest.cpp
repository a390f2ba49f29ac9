// The resources of the Windows build as rcscript writes them: the icon file
// read back by Qt's own .ico reader, and the script's lines for templates and
// strings.
#include "res/script/ResourceScript.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "res/script/IconFile.h"

#include <QByteArray>
#include <QImage>
#include <gtest/gtest.h>

TEST(IconFile, ReadsBackAsTheIconsPixelsInAnEightBitImage)
{
    const CIconImage icon = LoadIconImage(IDR_MAINFRAME);
    const std::string bytes = IconFile(icon);
    ASSERT_FALSE(bytes.empty());
    const QImage read = QImage::fromData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), "ICO");
    ASSERT_EQ(read.size(), QSize(32, 32));
    EXPECT_EQ(bytes[4], 1) << "one image";
    EXPECT_EQ(bytes[12], 8) << "eight bits a pixel";
    const QImage pixels = read.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const std::uint32_t expected = icon.argb[static_cast<std::size_t>(y * 32 + x)];
            const QRgb got = pixels.pixel(x, y);
            EXPECT_EQ(qAlpha(got) == 0 ? 0u : got, expected) << x << "," << y;
        }
    }
}

TEST(IconFile, RefusesMoreColoursThanThePaletteHolds)
{
    CIconImage many{16, 16, {}};
    for (std::uint32_t i = 0; i < 256; ++i)
        many.argb.push_back(0xFF000000 | i);
    EXPECT_TRUE(IconFile(many).empty());
    many.argb.back() = 0; // 255 colours and a transparent pixel
    EXPECT_FALSE(IconFile(many).empty());
}

TEST(ResourceScript, NamesEveryTemplateControlStringAndTheIcon)
{
    SetResStringOverride(IDS_MODIFY, "say \"hi\" to C:\\tftp");
    const std::string script = ResourceScript("AppIcon.ico");
    ClearResStringOverrides();
    const char* const lines[] = {
        "128 ICON \"AppIcon.ico\"",
        "102 DIALOG 0, 0, 237, 141\nSTYLE 0x90CA00C0\nEXSTYLE 0x00040000\nCAPTION \"Vantrel server\"\n"
        "FONT 8, \"MS Sans Serif\"",
        "    CONTROL \"\", 1003, \"Edit\", 0x50810880, 15, 70, 155, 14\n",
        "    CONTROL \"Exit\", 1, \"Button\", 0x50010000, 180, 120, 50, 14\n",
        "100 DIALOG 0, 0, 232, 81\nSTYLE 0x80C800C0\nCAPTION \"About Vantrel\"",
        "    CONTROL 128, -1, \"Static\", 0x50000003, 17, 20, 20, 20\n",
        "1536 DIALOG 109, 35, 204, 135\nSTYLE 0x80C800C0\nCAPTION \"Open\"\nFONT 8, \"Helv\"",
        "    CONTROL \"\", 1137, \"ComboBox\", 0x50A10353, 7, 114, 127, 68\n",
        "    1, \"say \"\"hi\"\" to C:\\\\tftp\"\n",
        "    103, \"Windows sockets initialization failed.\"\n",
    };
    for (const char* line : lines)
        EXPECT_NE(script.find(line), std::string::npos) << line;
}
