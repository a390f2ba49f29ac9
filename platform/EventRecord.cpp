#include "platform/EventRecord.h"

#include <cerrno>
#include <unistd.h>

void WriteRecordLine(const std::string& line)
{
    const std::string whole = "vantrel: " + line + "\n";
    // A line that cannot be written is dropped: the record must never stop the service.
    while (::write(STDERR_FILENO, whole.data(), whole.size()) < 0 && errno == EINTR) {
    }
}
