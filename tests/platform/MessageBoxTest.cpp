// The message box: the seam that stands in for the real box, and the record
// line each text leaves on standard error.
#include "platform/MessageBox.h"

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
    testing::internal::CaptureStderr();
    EXPECT_EQ(AfxMessageBox("Unknown Opcode 7"), IDCANCEL);
    EXPECT_EQ(AfxMessageBox("Received Error #0 for a\nb\x7f"), IDCANCEL);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "vantrel: message: Unknown Opcode 7\n"
              "vantrel: message: Received Error #0 for a\\x0ab\\x7f\n")
        << "each text is one line of the record, also when a box stands in";
    EXPECT_EQ(seenText, "Received Error #0 for a\nb\x7f");
    EXPECT_EQ(seenCaption, "vantrel");
    AfxSetMessageBoxSeam(nullptr);
}
