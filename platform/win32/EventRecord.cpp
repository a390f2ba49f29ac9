#include "platform/EventRecord.h"

#include "platform/RecordText.h"
#include "platform/WinTypes.h"

// Standard error is there when the program was started from a console or with
// it redirected to a file or a pipe; a program of the windows subsystem
// started otherwise has none, and the line goes nowhere. A line that cannot be
// written is dropped: the record must never stop the service.
void WriteRecordLine(const std::string& line)
{
    const HANDLE standardError = GetStdHandle(STD_ERROR_HANDLE);
    if (standardError == nullptr || standardError == INVALID_HANDLE_VALUE)
        return;
    const std::string whole = RecordText(line);
    DWORD written = 0;
    WriteFile(standardError, whole.data(), static_cast<DWORD>(whole.size()), &written, nullptr);
}
