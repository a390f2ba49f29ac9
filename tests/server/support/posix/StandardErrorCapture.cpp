#include "tests/server/support/StandardErrorCapture.h"

#include <fcntl.h>
#include <unistd.h>

StandardErrorCapture::StandardErrorCapture()
    : m_saved(dup(STDERR_FILENO))
{
    const int file = open(m_file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    dup2(file, STDERR_FILENO);
    close(file);
}

StandardErrorCapture::~StandardErrorCapture()
{
    dup2(static_cast<int>(m_saved), STDERR_FILENO);
    close(static_cast<int>(m_saved));
}
