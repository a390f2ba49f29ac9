#include "tests/server/support/StandardErrorCapture.h"

#include "platform/WinTypes.h"

// The record writes to whatever handle GetStdHandle gives at the time.
StandardErrorCapture::StandardErrorCapture()
    : m_saved(reinterpret_cast<std::intptr_t>(GetStdHandle(STD_ERROR_HANDLE)))
{
    SetStdHandle(STD_ERROR_HANDLE,
                 CreateFileA(m_file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

StandardErrorCapture::~StandardErrorCapture()
{
    CloseHandle(GetStdHandle(STD_ERROR_HANDLE));
    SetStdHandle(STD_ERROR_HANDLE, reinterpret_cast<HANDLE>(m_saved));
}
