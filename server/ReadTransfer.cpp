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

Refusal CTftpSocket::OpenForRead(const std::string& name, FileId* file, long long* size) const
{
    if (!IsSafeName(name))
        return {&kAccessViolation, FormatText("Rejected Unsafe Name %s", name.c_str())};
    BeneathResult result = BeneathResult::Missing;
    *file = NamesTemporaryUpload(name) ? kNoFile : OpenFromSearchDirs(*m_pSearchDirs, ServedName(name), size, &result);
    if (*file != kNoFile)
        return {};
    if (result == BeneathResult::NoDescriptors)
        return {&kTooManyOpenFiles, FormatText("Too many open files for %s", name.c_str())};
    return {&kFileNotFound, FormatText("Unknown File %s", name.c_str())};
}

void CTftpSocket::OnReadRequest(const char* packet, int length, const Endpoint& source)
{
    const std::string name = ReadString(packet, length, 2);
    FileId file = kNoFile;
    long long size = 0;
    const Refusal refusal = OpenForRead(name, &file, &size);
    if (refusal.error) {
        RecordEvent(source, name, "read request");
        Refuse(*refusal.error, refusal.text, name, source);
        return;
    }
    const GrantedOptions options = GrantOptions(packet, length, source, size);
    RecordEvent(source, name, "read request" + OptionsForRecord(options));
    CTransfer* t = AddTransfer(false, name, source);
    t->reader.Open(file, static_cast<std::size_t>(options.blockSize));
    t->totalBlocks = static_cast<std::uint16_t>(size / options.blockSize);
    t->bytes = size;
    if (ApplyOptions(t, options))
        return;
    if (SendNextBlock(t))
        SetStatus(FormatText("Fisrt Block of %s sent", name.c_str()));
}

void CTftpSocket::OnAck(const char* packet, const Endpoint& source)
{
    const std::uint16_t acked = ReadWord(packet, 2);
    CTransfer* t = m_index.FindRead(source);
    if (!t)
        return;
    if (!t->optionsAck.empty()) {
        OnOptionsAcknowledged(t, acked);
        return;
    }
    // The blocks of the window that the ACK acknowledges: the ACK of a block
    // inside the window says the client lacks the one after it.
    const int acknowledged = static_cast<std::uint16_t>(acked - t->block) + 1;
    if (acknowledged > t->windowSent) {
        SetStatus("Repeat ACK for %d", acked);
        return;
    }
    // A block that was not the final one held a whole block's bytes.
    const bool finalAcked = t->eof && acknowledged == t->windowSent;
    const int totalBlocks = t->totalBlocks; // t is gone once the final block is acknowledged
    t->block = static_cast<std::uint16_t>(t->block + acknowledged);
    t->blockOffset += static_cast<long long>(acknowledged) * t->blockSize;
    if (finalAcked)
        RecordEvent(t->peer, t->name, FinishedEvent(t->bytes, t->started));
    else
        t->eof = 0; // the final block is sent again, with the rest of the window the client lacks
    if (!SendNextBlock(t))
        return;
    if (finalAcked)
        SetStatus("Finished");
    else
        SetStatus("Sending %d of %d", acked, totalBlocks);
}

// ACK 0 answers the option acknowledgement: the transfer's first block goes.
void CTftpSocket::OnOptionsAcknowledged(CTransfer* t, std::uint16_t acked)
{
    if (acked != 0) {
        SetStatus("Repeat ACK for %d", acked);
        return;
    }
    t->optionsAck.clear();
    t->block = 1;
    const std::string text = FormatText("Fisrt Block of %s sent", t->name.c_str());
    if (SendNextBlock(t))
        SetStatus(text);
}

BOOL CTftpSocket::SendNextBlock(CTransfer* t)
{
    if (t->eof) {
        RemoveTransfer(t);
        return TRUE;
    }
    const auto packetSize = static_cast<std::size_t>(kHeaderSize + t->blockSize);
    if (m_dataPacket.size() < packetSize)
        m_dataPacket.resize(packetSize);
    char* packet = m_dataPacket.data();
    // The window's blocks are queued to leave together.
    for (t->windowSent = 0; t->windowSent < t->windowSize && !t->eof; ++t->windowSent) {
        const long long offset = t->blockOffset + static_cast<long long>(t->windowSent) * t->blockSize;
        const long long count = t->reader.Read(offset, packet + kHeaderSize);
        if (count < 0) {
            FailTransfer(t);
            return FALSE;
        }
        ComposeDataHeader(packet, static_cast<std::uint16_t>(t->block + t->windowSent));
        Send(packet, kHeaderSize + static_cast<int>(count), t->peer);
        if (count < t->blockSize)
            t->eof = 1;
    }
    t->replyTimeout = t->timeoutTicks;
    return TRUE;
}
