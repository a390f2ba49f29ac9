#pragma once
// The file of a read transfer, owned, read block by block through a buffer
// that takes sixteen blocks (at most 256 KiB) in one read, so that a download
// costs one read call every sixteen blocks. The buffer is taken only when a
// block past the first is asked for: a request that is never acknowledged, as
// in a flood, holds its descriptor and nothing more.
#include "platform/FileHandle.h"

#include <cstddef>
#include <memory>

class BlockReader {
public:
    BlockReader() = default;
    ~BlockReader();
    BlockReader(const BlockReader&) = delete;
    BlockReader& operator=(const BlockReader&) = delete;

    // Takes the file, which the reader closes, and the transfer's block size.
    void Open(FileId file, std::size_t blockSize);
    // Copies the block at offset, up to a block's size, to block: fewer only
    // where the file ends. Its length, or -1 on a read error.
    long long Read(long long offset, char* block);

private:
    FileId m_file = kNoFile;
    std::size_t m_blockSize = 0;
    std::size_t m_capacity = 0; // of the buffer, a whole number of blocks
    std::unique_ptr<char[]> m_buffer;
    long long m_start = 0;    // the file offset of the buffer's first byte
    std::size_t m_length = 0; // the bytes the buffer holds
};
