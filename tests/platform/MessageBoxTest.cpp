// The message box: the seam that stands in for the real box, and the record
// line each text leaves on standard error.
#include "platform/MessageBox.h"

#include <cstdio>
#include <gtest/gtest.h>

TEST(MessageBox, SeamReceivesTextAndCaptionAndTheRecordGetsTheText)
{
    AfxSetAppName("vantrel");
    std::string seenText, seenCaption;
    AfxSetMessageBoxSeam([&](const std::string& text, const std::string& caption) {
        seenText = text;
        seenCaption = caption;
        return IDCANCEL;
    });
    // Every byte but printable ASCII, whose first and last stand beside them.
    std::string everyByte = " ~", everyByteInHex = " ~";
    for (int byte = 0; byte < 0x100; ++byte) {
        if (byte >= 0x20 && byte < 0x7f)
            continue;
        everyByte += static_cast<char>(byte);
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned>(byte));
        everyByteInHex += hex;
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(AfxMessageBox("Unknown Opcode 7"), IDCANCEL);
    EXPECT_EQ(AfxMessageBox("Received Error #0 for a\nb\x7f"), IDCANCEL);
    EXPECT_EQ(AfxMessageBox(everyByte), IDCANCEL);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "vantrel: message: Unknown Opcode 7\n"
              "vantrel: message: Received Error #0 for a\\x0ab\\x7f\n"
              "vantrel: message: "
                  + everyByteInHex + "\n")
        << "each text is one line of the record, also when a box stands in";
    EXPECT_EQ(seenText, everyByte);
    EXPECT_EQ(seenCaption, "vantrel");
    AfxSetMessageBoxSeam(nullptr);
}
