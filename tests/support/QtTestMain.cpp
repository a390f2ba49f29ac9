// The main of every test program: a QApplication on Qt's offscreen platform
// (unless a platform is chosen), so sockets, timers and widgets all work
// without a display and nothing ever waits on a real window.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
