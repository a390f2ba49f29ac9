#include "platform/EventRecord.h"

#include "platform/RecordText.h"

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

void WriteRecordLine(const std::string& line)
{
    const std::string whole = RecordText(line);
    // A line that cannot be written is dropped: the record must never stop
    // the service. Under a service manager standard error is a socket to the
    // journal, which may fall behind; a line it cannot take at once is
    // dropped rather than waited for.
    ssize_t sent;
    do {
        sent = ::send(STDERR_FILENO, whole.data(), whole.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent < 0 && errno == ENOTSOCK)
            sent = ::write(STDERR_FILENO, whole.data(), whole.size());
    } while (sent < 0 && errno == EINTR);
}
