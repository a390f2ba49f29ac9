#include "server/TftpSocket.h"

#include "server/RegularFile.h"
#include "server/SafeName.h"
#include "server/StatusText.h"
#include "server/TftpPacket.h"
#include "server/TransferTable.h"

void CTftpSocket::OnWriteRequest(const char* packet, int length, const sockaddr_in& source)
{
    const std::string name = ReadString(packet, length, 2);
    if (!*m_pEnableWrite) {
        const std::string text = FormatText("Write Rejected for %s", name.c_str());
        SendError(kWriteNotPermitted, source);
        SetStatusLine(text);
        return;
    }
    if (!IsSafeName(name)) {
        RejectUnsafeName(name, source);
        return;
    }
    // An empty write directory would put the file at the filesystem root.
    std::FILE* file = m_pWriteDir->empty() ? nullptr : OpenRegularFileForWrite(JoinPath(*m_pWriteDir, name));
    if (!file) {
        const std::string text = FormatText("File Open Failedfor %s", name.c_str());
        SendError(kFileOpenFailed, source);
        SetStatusLine(text);
        return;
    }
    AddTransfer(file, true, source);
    const std::string text = FormatText("Write File for %s", name.c_str());
    SendAck(0, source);
    SetStatusLine(text);
}

// The final block's data reaches the disk only at the close, so a failing
// close is a failed write as much as a short fwrite.
static bool CloseFile(CTransfer* t)
{
    const bool closed = std::fclose(t->file) == 0;
    t->file = nullptr;
    return closed;
}

void CTftpSocket::OnData(const char* packet, int length, const sockaddr_in& source)
{
    if (length < kHeaderSize)
        return;
    const std::uint16_t block = ReadWord(packet, 2);
    CTransfer* t = FindWriteTransfer(m_head, source, block);
    if (!t)
        return;
    ++t->block;
    if (t->eof) {
        // A read transfer that gave up after its final block: nothing to write.
        SendAck(block, source);
        SetStatusLine(std::string());
        return;
    }
    const auto dataLength = static_cast<std::size_t>(length - kHeaderSize);
    const std::size_t written = std::fwrite(packet + kHeaderSize, 1, dataLength, t->file);
    t->replyTimeout = kReplyTimeoutTicks;
    const bool finalBlock = dataLength < kBlockSize;
    if (written < dataLength || (finalBlock && !CloseFile(t))) {
        FailWrite(t, source);
        return;
    }
    std::string text;
    if (finalBlock) {
        RemoveTransfer(t);
        text = "Finished";
    } else {
        text = FormatText("Write Block %d %d bytes", block, static_cast<int>(written));
    }
    SendAck(block, source);
    SetStatusLine(text);
}

// Never acknowledge what did not reach the disk; what was written stays.
void CTftpSocket::FailWrite(CTransfer* t, const sockaddr_in& source)
{
    const std::uint16_t block = t->block;
    RemoveTransfer(t);
    SendError(kDiskFull, source);
    SetStatusLine(FormatText("Write Failed for Block %d", block));
}
