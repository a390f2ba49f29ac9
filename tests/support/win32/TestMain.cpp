// The main of every test program on Windows: Windows Sockets started as the
// program starts them, then the tests, on the one thread whose messages
// PumpUntil dispatches.
#include "platform/SocketLayer.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (!AfxSocketInit())
        return 1;
    return RUN_ALL_TESTS();
}
