#include "server/BlockReader.h"

#include "platform/FileRead.h"

#include <algorithm>
#include <cstring>

constexpr std::size_t kBlocksReadAhead = 16;
constexpr std::size_t kLargestReadAhead = 256 * 1024;

BlockReader::~BlockReader()
{
    if (m_file != kNoFile)
        CloseFile(m_file);
}

void BlockReader::Open(FileId file, std::size_t blockSize)
{
    m_file = file;
    m_blockSize = blockSize;
    m_capacity = std::max(blockSize, kLargestReadAhead / blockSize * blockSize);
    m_capacity = std::min(m_capacity, kBlocksReadAhead * blockSize);
}

long long BlockReader::Read(long long offset, char* block)
{
    if (!m_buffer && offset == 0)
        return ReadAt(m_file, block, m_blockSize, 0);
    const long long end = m_start + static_cast<long long>(m_length);
    // A buffer that holds less than it could holds the end of the file.
    const bool held = m_buffer && offset >= m_start
        && (offset + static_cast<long long>(m_blockSize) <= end || (m_length < m_capacity && offset <= end));
    if (!held) {
        if (!m_buffer)
            m_buffer = std::make_unique<char[]>(m_capacity);
        const long long count = ReadAt(m_file, m_buffer.get(), m_capacity, offset);
        m_start = offset;
        m_length = count < 0 ? 0 : static_cast<std::size_t>(count);
        if (count < 0)
            return -1;
    }
    const std::size_t length = std::min(m_blockSize, m_length - static_cast<std::size_t>(offset - m_start));
    std::memcpy(block, m_buffer.get() + (offset - m_start), length);
    return static_cast<long long>(length);
}
