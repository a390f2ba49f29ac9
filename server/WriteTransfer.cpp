#include "server/TftpSocket.h"

#include "platform/FreeSpace.h"
#include "server/SafeName.h"
#include "server/StatusLine.h"
#include "server/StatusText.h"
#include "server/TftpPacket.h"
#include "server/TransferRecord.h"

#include <algorithm>
#include <utility>

// The upload's temporary file, or why the request is refused. An upload that
// says it will not fit is refused before any file is made.
Refusal CTftpSocket::BeginWrite(const std::string& name, const GrantedOptions& options, UploadFile* upload,
                                FileId* file) const
{
    const Refusal unsafe{&kAccessViolation, FormatText("Rejected Unsafe Name %s", name.c_str())};
    if (!*m_pEnableWrite)
        return {&kWriteNotPermitted, FormatText("Write Rejected for %s", name.c_str())};
    if (!IsSafeName(name) || NamesTemporaryUpload(name))
        return unsafe;
    const Refusal failed{&kFileOpenFailed, FormatText("File Open Failedfor %s", name.c_str())};
    // An empty write directory would put the file at the filesystem root.
    if (m_pWriteDir->empty())
        return failed;
    const long long freeBytes = options.transferSize > 0 ? FreeBytesIn(*m_pWriteDir) : -1;
    if (freeBytes >= 0 && options.transferSize > freeBytes)
        return {&kDiskFull, FormatText("Disk Full for %s", name.c_str())};
    BeneathResult result = BeneathResult::Failed;
    *file = BeginUpload(*m_pWriteDir, ServedName(name), upload, &result);
    if (*file != kNoFile)
        return {};
    if (result == BeneathResult::Outside)
        return unsafe;
    if (result == BeneathResult::NoDescriptors)
        return {&kTooManyOpenFiles, FormatText("Too many open files for %s", name.c_str())};
    return failed;
}

void CTftpSocket::OnWriteRequest(const char* packet, int length, const Endpoint& source)
{
    const std::string name = ReadString(packet, length, 2);
    const GrantedOptions options = GrantOptions(packet, length, source, -1);
    UploadFile upload;
    FileId file = kNoFile;
    const Refusal refusal = BeginWrite(name, options, &upload, &file);
    if (refusal.error) {
        RecordEvent(source, name, "write request");
        Refuse(*refusal.error, refusal.text, name, source);
        return;
    }
    RecordEvent(source, name, "write request" + OptionsForRecord(options));
    CTransfer* t = AddTransfer(true, name, source);
    t->file = file;
    t->upload = std::move(upload);
    const std::string text = FormatText("Write File for %s", name.c_str());
    if (!ApplyOptions(t, options))
        SendAck(0, source);
    SetStatus(text);
}

void CTftpSocket::OnData(const char* packet, int length, const Endpoint& source)
{
    if (length < kHeaderSize)
        return;
    const std::uint16_t block = ReadWord(packet, 2);
    CTransfer* t = m_index.FindWrite(source, block);
    if (!t) {
        AnswerDataOutOfOrder(source);
        return;
    }
    // No block is longer than the transfer's; a request without options
    // takes what fits the usual datagram, as it always has.
    if (length > std::max(kMaxDatagram, kHeaderSize + t->blockSize))
        return;
    t->optionsAck.clear();
    ++t->block;
    t->retries = 0;
    t->replyTimeout = t->timeoutTicks;
    t->gapAcknowledged = false;
    const auto dataLength = static_cast<std::size_t>(length - kHeaderSize);
    if (!WriteUpload(t->file, packet + kHeaderSize, dataLength)) {
        FailTransfer(t);
        return;
    }
    t->bytes += static_cast<long long>(dataLength);
    if (dataLength < static_cast<std::size_t>(t->blockSize)) {
        FinishWrite(t, block);
        return;
    }
    // A window's blocks are acknowledged together, by the ACK of its last.
    if (++t->receivedInWindow >= t->windowSize) {
        t->receivedInWindow = 0;
        SendAck(block, t->peer);
    }
    SetStatus("Write Block %d %d bytes", block, static_cast<int>(dataLength));
}

// In a window, a DATA out of order says a block was lost: the client hears
// once which block was the last received in order, and sends again from the
// one after it. Without a window a DATA out of order is ignored, as a
// repeated one always was.
void CTftpSocket::AnswerDataOutOfOrder(const Endpoint& source)
{
    CTransfer* t = m_index.FindNewestWrite(source);
    if (!t || t->windowSize == 1 || !t->optionsAck.empty() || t->gapAcknowledged)
        return;
    t->gapAcknowledged = true;
    t->receivedInWindow = 0;
    SendAck(t->block, t->peer);
}

// The final ACK goes out only once the file has replaced its target.
void CTftpSocket::FinishWrite(CTransfer* t, std::uint16_t block)
{
    if (!CompleteUpload(&t->upload, std::exchange(t->file, kNoFile))) {
        FailTransfer(t);
        return;
    }
    const Endpoint peer = t->peer;
    RecordEvent(peer, t->name, FinishedEvent(t->bytes, t->started));
    RemoveTransfer(t);
    SendAck(block, peer);
    SetStatus("Finished");
}
