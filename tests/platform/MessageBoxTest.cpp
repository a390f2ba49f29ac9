// The message box: the real modal box, the seam that stands in for it, and
// the record line each text leaves on standard error.
#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
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

TEST(MessageBox, RealBoxIsModalWarningWithOneOkButton)
{
    AfxSetAppName("vantrel");
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = static_cast<int>(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(AfxMessageBox("Received Error #1 for x"), IDOK);
    EXPECT_EQ(title, "vantrel");
    EXPECT_EQ(text, "Received Error #1 for x");
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(buttons, 1);
}
