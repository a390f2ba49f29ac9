// The real box on Qt: modal, with the warning icon and one OK button.
#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

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
