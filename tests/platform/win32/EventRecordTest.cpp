// The record on Windows: the lines go to standard error when the process has
// one, whatever it is (here a pipe), and nowhere, without failing, when not.
#include "platform/EventRecord.h"

#include "platform/WinTypes.h"

#include <gtest/gtest.h>
#include <string>

TEST(EventRecord, LinesGoToStandardErrorWhenThereIsOneAndNowhereOtherwise)
{
    const HANDLE saved = GetStdHandle(STD_ERROR_HANDLE);
    HANDLE reader = nullptr, writer = nullptr;
    ASSERT_TRUE(CreatePipe(&reader, &writer, nullptr, 0));
    for (const HANDLE none : {HANDLE(nullptr), INVALID_HANDLE_VALUE}) {
        SetStdHandle(STD_ERROR_HANDLE, none);
        WriteRecordLine("lost");
    }
    SetStdHandle(STD_ERROR_HANDLE, writer);
    WriteRecordLine("10.0.0.2:2048 \"a\tb\" read request");
    SetStdHandle(STD_ERROR_HANDLE, saved);
    CloseHandle(writer);

    std::string received;
    char buffer[256];
    DWORD count = 0;
    while (ReadFile(reader, buffer, sizeof buffer, &count, nullptr) && count > 0)
        received.append(buffer, count);
    CloseHandle(reader);
    EXPECT_EQ(received, "vantrel: 10.0.0.2:2048 \"a\\x09b\" read request\n");
}
