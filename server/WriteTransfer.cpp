#include "server/TftpSocket.h"

#include "server/SafeName.h"
#include "server/StatusLine.h"
#include "server/StatusText.h"
#include "server/TftpPacket.h"
#include "server/TransferRecord.h"

#include <utility>

void CTftpSocket::OnWriteRequest(const char* packet, int length, const sockaddr_in& source, in_addr local)
{
    const std::string name = ReadString(packet, length, 2);
    RecordEvent(source, name, "write request");
    if (!*m_pEnableWrite) {
        Refuse(kWriteNotPermitted, FormatText("Write Rejected for %s", name.c_str()), name, source, local);
        return;
    }
    const std::string unsafe = FormatText("Rejected Unsafe Name %s", name.c_str());
    if (!IsSafeName(name) || NamesTemporaryUpload(name)) {
        Refuse(kAccessViolation, unsafe, name, source, local);
        return;
    }
    UploadFile upload;
    BeneathResult result = BeneathResult::Failed;
    // An empty write directory would put the file at the filesystem root.
    const FileId file = m_pWriteDir->empty() ? kNoFile : BeginUpload(*m_pWriteDir, ServedName(name), &upload, &result);
    if (file == kNoFile) {
        if (result == BeneathResult::Outside)
            Refuse(kAccessViolation, unsafe, name, source, local);
        else if (result == BeneathResult::NoDescriptors)
            Refuse(kTooManyOpenFiles, FormatText("Too many open files for %s", name.c_str()), name, source, local);
        else
            Refuse(kFileOpenFailed, FormatText("File Open Failedfor %s", name.c_str()), name, source, local);
        return;
    }
    CTransfer* t = AddTransfer(true, name, source, local);
    t->file = file;
    t->upload = std::move(upload);
    const std::string text = FormatText("Write File for %s", name.c_str());
    SendAck(0, source, local);
    SetStatus(text);
}

void CTftpSocket::OnData(const char* packet, int length, const sockaddr_in& source)
{
    if (length < kHeaderSize)
        return;
    const std::uint16_t block = ReadWord(packet, 2);
    CTransfer* t = m_index.FindWrite(source, block);
    if (!t)
        return;
    ++t->block;
    t->retries = 0;
    t->replyTimeout = kReplyTimeoutTicks;
    const auto dataLength = static_cast<std::size_t>(length - kHeaderSize);
    if (!WriteUpload(t->file, packet + kHeaderSize, dataLength)) {
        FailWrite(t);
        return;
    }
    t->bytes += static_cast<long long>(dataLength);
    if (dataLength < kBlockSize) {
        FinishWrite(t, block);
        return;
    }
    SendAck(block, source, t->local);
    SetStatus("Write Block %d %d bytes", block, static_cast<int>(dataLength));
}

// The final ACK goes out only once the file has replaced its target.
void CTftpSocket::FinishWrite(CTransfer* t, std::uint16_t block)
{
    if (!CompleteUpload(&t->upload, std::exchange(t->file, kNoFile))) {
        FailWrite(t);
        return;
    }
    const sockaddr_in peer = t->peer;
    const in_addr local = t->local;
    RecordEvent(peer, t->name, FinishedEvent(t->bytes, t->started));
    RemoveTransfer(t);
    SendAck(block, peer, local);
    SetStatus("Finished");
}

// Never acknowledge what did not reach the disk. The temporary file goes with
// the record; the target stays as it was. A target held open elsewhere is no
// full disk: the client is told it may not replace it, the record says why.
void CTftpSocket::FailWrite(CTransfer* t)
{
    const std::uint16_t block = t->block;
    const sockaddr_in peer = t->peer;
    const in_addr local = t->local;
    const std::string name = t->name;
    const bool inUse = t->upload.targetInUse;
    RemoveTransfer(t);
    Refuse(inUse ? kAccessViolation : kDiskFull, FormatText("Write Failed for Block %d", block), name, peer, local,
           FormatText("failed at block %d", block) + (inUse ? ": the target is in use" : ""));
}
