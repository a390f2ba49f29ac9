#include "server/BlockReader.h"

#include "platform/FileRead.h"
#include "server/TftpPacket.h"

#include <algorithm>
#include <cstring>

constexpr std::size_t kReadAhead = 16 * kBlockSize;

BlockReader::~BlockReader()
{
    if (m_file != kNoFile)
        CloseFile(m_file);
}

void BlockReader::Open(FileId file)
{
    m_file = file;
}

long long BlockReader::Read(long long offset, char* block)
{
    if (!m_buffer && offset == 0)
        return ReadAt(m_file, block, kBlockSize, 0);
    const long long end = m_start + static_cast<long long>(m_length);
    // A buffer that holds less than it could holds the end of the file.
    const bool held = m_buffer && offset >= m_start
        && (offset + static_cast<long long>(kBlockSize) <= end || (m_length < kReadAhead && offset <= end));
    if (!held) {
        if (!m_buffer)
            m_buffer = std::make_unique<char[]>(kReadAhead);
        const long long count = ReadAt(m_file, m_buffer.get(), kReadAhead, offset);
        m_start = offset;
        m_length = count < 0 ? 0 : static_cast<std::size_t>(count);
        if (count < 0)
            return -1;
    }
    const std::size_t length = std::min<std::size_t>(kBlockSize, m_length - static_cast<std::size_t>(offset - m_start));
    std::memcpy(block, m_buffer.get() + (offset - m_start), length);
    return static_cast<long long>(length);
}
