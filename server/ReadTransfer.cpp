#include "server/TftpSocket.h"

#include "platform/RegularFile.h"
#include "server/SafeName.h"
#include "server/StatusLine.h"
#include "server/StatusText.h"
#include "server/TftpPacket.h"
#include "server/TransferRecord.h"

// The first search directory that yields the name wins. An empty entry would
// mean the filesystem root and is never searched; a name that leads out of a
// directory is not in it, and the search goes on. Out of descriptors, every
// directory would fail alike, so the search stops there.
static FileId OpenFromSearchDirs(const std::vector<std::string>& searchDirs, const std::string& name, long long* size,
                                 BeneathResult* result)
{
    for (const std::string& directory : searchDirs) {
        if (directory.empty())
            continue;
        const FileId file = OpenRegularFileForRead(directory, name, size, result);
        if (file != kNoFile || *result == BeneathResult::NoDescriptors)
            return file;
    }
    *result = BeneathResult::Missing;
    return kNoFile;
}

void CTftpSocket::OnReadRequest(const char* packet, int length, const sockaddr_in& source, in_addr local)
{
    const std::string name = ReadString(packet, length, 2);
    RecordEvent(source, name, "read request");
    if (!IsSafeName(name)) {
        Refuse(kAccessViolation, FormatText("Rejected Unsafe Name %s", name.c_str()), name, source, local);
        return;
    }
    long long size = 0;
    BeneathResult result = BeneathResult::Missing;
    const FileId file
        = NamesTemporaryUpload(name) ? kNoFile : OpenFromSearchDirs(*m_pSearchDirs, ServedName(name), &size, &result);
    if (file == kNoFile) {
        if (result == BeneathResult::NoDescriptors)
            Refuse(kTooManyOpenFiles, FormatText("Too many open files for %s", name.c_str()), name, source, local);
        else
            Refuse(kFileNotFound, FormatText("Unknown File %s", name.c_str()), name, source, local);
        return;
    }
    CTransfer* t = AddTransfer(false, name, source, local);
    t->reader.Open(file);
    t->totalBlocks = static_cast<std::uint16_t>(size / kBlockSize);
    t->bytes = size;
    if (SendNextBlock(t))
        SetStatus(FormatText("Fisrt Block of %s sent", name.c_str()));
}

void CTftpSocket::OnAck(const char* packet, const sockaddr_in& source)
{
    const std::uint16_t acked = ReadWord(packet, 2);
    CTransfer* t = m_index.FindRead(source);
    if (!t)
        return;
    if (acked != t->block) {
        SetStatus("Repeat ACK for %d", acked);
        return;
    }
    // A block that was not the final one held a full 512 bytes.
    const bool finalAcked = t->eof;
    const int totalBlocks = t->totalBlocks; // t is gone once the final block is acknowledged
    ++t->block;
    t->blockOffset += kBlockSize;
    if (finalAcked)
        RecordEvent(t->peer, t->name, FinishedEvent(t->bytes, t->started));
    if (!SendNextBlock(t))
        return;
    if (finalAcked)
        SetStatus("Finished");
    else
        SetStatus("Sending %d of %d", acked, totalBlocks);
}

BOOL CTftpSocket::SendNextBlock(CTransfer* t)
{
    if (t->eof) {
        RemoveTransfer(t);
        return TRUE;
    }
    char packet[kHeaderSize + kBlockSize];
    const long long count = t->reader.Read(t->blockOffset, packet + kHeaderSize);
    if (count < 0) {
        FailRead(t);
        return FALSE;
    }
    t->replyTimeout = kReplyTimeoutTicks;
    ComposeDataHeader(packet, t->block);
    Send(packet, kHeaderSize + static_cast<int>(count), t->peer, t->local);
    if (count < kBlockSize)
        t->eof = 1;
    return TRUE;
}

// A read error must not pass for the end of the file: the peer is told the
// transfer failed rather than handed a short block as the last.
void CTftpSocket::FailRead(CTransfer* t)
{
    const std::uint16_t block = t->block;
    const sockaddr_in peer = t->peer;
    const in_addr local = t->local;
    const std::string name = t->name;
    RemoveTransfer(t);
    Refuse(kFileReadError, FormatText("Read Failed for Block %d", block), name, peer, local,
           FormatText("failed at block %d", block));
}
