// The service's texts come out exactly as printf would write them, for every
// kind of argument they take: numbers at their limits, long received names.
#include "server/StatusText.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

namespace {

std::string Printf(const char* format, auto... args)
{
    char text[1024];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

TEST(StatusText, NumbersAndNamesAsPrintfWritesThem)
{
    for (int number : {0, 1, 9, 10, 512, 65535, 65536, -1, -512, INT_MAX, INT_MIN}) {
        SCOPED_TRACE(number);
        EXPECT_EQ(Printf("Sending %d of %d", 7, number), FormatText("Sending %d of %d", 7, number));
        EXPECT_EQ(Printf("ReSent Block %d [%d total errors]", number, 3),
                  FormatText("ReSent Block %d [%d total errors]", number, 3));
        EXPECT_EQ(Printf("Unknown Opcode %x", number), FormatText("Unknown Opcode %x", number));
    }
    const std::string longName(300, 'n');
    EXPECT_EQ("Fisrt Block of " + longName + " sent", FormatText("Fisrt Block of %s sent", longName.c_str()));
    EXPECT_EQ("Received Error #ffff for ", FormatText("Received Error #%x for %s", 0xFFFF, ""));
    EXPECT_EQ("100% of %d", FormatText("100%% of %%d"));
}

} // namespace
