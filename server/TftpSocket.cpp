#include "server/TftpSocket.h"

#include "platform/EventRecord.h"
#include "platform/FileRead.h"
#include "platform/FreeMemory.h"
#include "platform/MessageBox.h"
#include "platform/NetInterface.h"
#include "platform/RecordText.h"
#include "platform/TemporaryUpload.h"
#include "platform/WinTimer.h"
#include "server/StatusLine.h"
#include "server/StatusText.h"
#include "server/TftpPacket.h"
#include "server/TransferRecord.h"

#include <algorithm>
#include <cstring>

CTftpSocket* g_server = nullptr;

constexpr UINT kTickMs = 500;
// Each box runs a nested loop inside OnReceive, where further datagrams open
// further boxes; the limit keeps a flood of them from nesting without bound.
constexpr int kMaxOpenBoxes = 4;
// What a datagram carries besides the TFTP packet: the IP and UDP headers.
constexpr int kIpv4AndUdpHeaders = 20 + 8;
constexpr int kIpv6AndUdpHeaders = 40 + 8;
// The MTU assumed for an interface whose own is unknown: Ethernet's.
constexpr int kUsualMtu = 1500;
// A table that held at least this many records at once gives their memory
// back once it is empty again; a smaller one keeps it for the next transfers.
constexpr int kLargeTable = 256;

CTftpSocket::CTftpSocket(UINT port)
    : m_port(port)
{
}

CTftpSocket::~CTftpSocket()
{
    if (m_timerId)
        KillTimer(nullptr, m_timerId);
    if (g_server == this)
        g_server = nullptr;
    while (m_head)
        RemoveTransfer(m_head);
}

CTransfer* CTftpSocket::AddTransfer(bool isWrite, const std::string& name, const Endpoint& source)
{
    auto* t = new CTransfer;
    t->block = isWrite ? 0 : 1;
    t->isWrite = isWrite ? 1 : 0;
    t->peer = ReplyEndpointFor(source);

    t->name = name;
    t->started = MonotonicSeconds();
    t->next = m_head;
    if (m_head)
        m_head->newer = t;
    m_head = t;
    m_index.Add(t);
    m_peakRecords = std::max(m_peakRecords, ++m_records);
    return t;
}

void CTftpSocket::RemoveTransfer(CTransfer* t)
{
    if (t->newer)
        t->newer->next = t->next;
    else
        m_head = t->next;
    if (t->next)
        t->next->newer = t->newer;
    m_index.Remove(t);
    if (t->file != kNoFile)
        CloseFile(t->file);
    DiscardUpload(&t->upload);
    delete t;
    if (--m_records == 0)
        ReleaseMemoryOfLargeTable();
}

// After a flood, the records' memory would otherwise stay with the process.
void CTftpSocket::ReleaseMemoryOfLargeTable()
{
    const bool large = m_peakRecords >= kLargeTable;
    m_peakRecords = 0;
    if (!large)
        return;
    m_index.Release();
    ReturnFreeMemory();
}

void CTftpSocket::Start(int* pEnableWrite, std::string* pWriteDir, std::vector<std::string>* pSearchDirs)
{
    m_pEnableWrite = pEnableWrite;
    m_pWriteDir = pWriteDir;
    m_pSearchDirs = pSearchDirs;
    m_head = nullptr;
    if (!Create(m_port, SOCK_DGRAM, FD_READ)) {
        ShowMessage("Unable to Bind socket. Is Vantrel already open? ");
        return;
    }
    if (IPv4Only())
        WriteRecordLine("IPv6 is not available here: serving IPv4 clients only");
    // Bound: no other instance runs, so no upload is in progress there.
    RemoveStaleUploads(*m_pWriteDir);
    g_server = this;
    m_timerId = SetTimer(nullptr, 1, kTickMs, ServerTimerProc);
}

void CTftpSocket::OnReceive(int)
{
    // Room for the DATA of the largest block a request may be granted.
    char packet[kHeaderSize + kLargestBlock + kFillBytes];
    Endpoint source;
    const int length = ReceiveFrom(packet, m_receiveLength, &source);
    if (length <= 0)
        return;
    std::memset(packet + length, kFillByte, kFillBytes);

    const std::uint16_t opcode = ReadWord(packet, 0);
    // Only the DATA of a transfer granted larger blocks may be that long.
    if (length > kMaxDatagram && opcode != kOpData)
        return;
    switch (opcode) {
    case kOpReadRequest: OnReadRequest(packet, length, source); break;
    case kOpWriteRequest: OnWriteRequest(packet, length, source); break;
    case kOpData: OnData(packet, length, source); break;
    case kOpAck: OnAck(packet, source); break;
    case kOpError: OnErrorPacket(packet, length, source); break;
    default: ShowMessage(FormatText("Unknown Opcode %x", opcode)); break;
    }
}

GrantedOptions CTftpSocket::GrantOptions(const char* packet, int length, const Endpoint& source,
                                         long long fileSize) const
{
    const int mtu = InterfaceMtu(source.InterfaceIndex());
    const int headers = source.IsIPv4() ? kIpv4AndUdpHeaders : kIpv6AndUdpHeaders;
    const int largestBlock = (mtu > 0 ? mtu : kUsualMtu) - headers - kHeaderSize;
    return NegotiateOptions(packet, length, largestBlock, fileSize);
}

bool CTftpSocket::ApplyOptions(CTransfer* t, const GrantedOptions& options)
{
    if (!options.Any())
        return false;
    t->blockSize = options.blockSize;
    t->windowSize = options.windowSize;
    if (options.timeoutSeconds)
        t->timeoutTicks = options.timeoutSeconds * kTicksPerSecond;
    m_receiveLength = std::max(m_receiveLength, kHeaderSize + t->blockSize);
    // Until its answer comes, the acknowledgement stands for block 0.
    t->block = 0;
    t->optionsAck = OptionsAcknowledgement(options);
    SendOptionsAck(t);
    return true;
}

void CTftpSocket::SendOptionsAck(CTransfer* t)
{
    Send(t->optionsAck.data(), static_cast<int>(t->optionsAck.size()), t->peer);
    t->replyTimeout = t->timeoutTicks;
}

CTransfer* CTftpSocket::AwaitingOptionsAnswer(const Endpoint& source) const
{
    for (CTransfer* t : {m_index.FindRead(source), m_index.FindNewestWrite(source)})
        if (t && !t->optionsAck.empty())
            return t;
    return nullptr;
}

// A client's ERROR ends nothing: its transfer runs on until the tick ends it.
// Its record line names the client, and quotes the client's text, so that a
// forged ERROR cannot pass its text off as a line of the program's own. An
// ERROR that answers an option acknowledgement is how a client declines the
// options, or ends a query of the file's size: that transfer ends quietly.
void CTftpSocket::OnErrorPacket(const char* packet, int length, const Endpoint& source)
{
    const std::uint16_t code = ReadWord(packet, 2);
    if (CTransfer* t = AwaitingOptionsAnswer(source)) {
        const std::string message = ReadString(packet, length, kHeaderSize);
        RecordEvent(source, t->name, FormatText("options declined: error %d ", code) + QuotedForRecord(message));
        RemoveTransfer(t);
        return;
    }
    const auto received
        = [code](const std::string& message) { return FormatText("Received Error #%x for %s", code, message.c_str()); };
    const std::string message = ReadString(packet, length, kHeaderSize);
    RecordPeerEvent(source, "message: " + received(QuotedForRecord(message)));
    ShowUnrecordedMessage(received(message));
}

void CTftpSocket::Send(const void* packet, int length, const Endpoint& to)
{
    QueueSendTo(packet, length, to);
}

// The replies of the datagrams taken off the socket together leave together.
void CTftpSocket::OnBatchReceived()
{
    DeliverBatch();
}

void CTftpSocket::SetStatus(const std::string& text)
{
    m_status = text;
    m_statusFormat = nullptr;
    m_statusSet = true;
}

void CTftpSocket::SetStatus(const char* format, int first, int second)
{
    m_statusFormat = format;
    m_statusNumbers[0] = first;
    m_statusNumbers[1] = second;
    m_statusSet = true;
}

void CTftpSocket::DeliverBatch()
{
    SendQueued();
    if (!m_statusSet)
        return;
    m_statusSet = false;
    if (m_statusFormat)
        SetStatusNumbers(m_statusFormat, m_statusNumbers[0], m_statusNumbers[1]);
    else
        SetStatusLine(m_status);
}

void CTftpSocket::SendAck(std::uint16_t block, const Endpoint& to)
{
    char packet[kHeaderSize];
    Send(packet, ComposeAck(packet, block), to);
}

void CTftpSocket::Refuse(const TftpError& error, const std::string& text, const std::string& name, const Endpoint& to,
                         const std::string& outcome)
{
    char packet[64];
    Send(packet, ComposeError(packet, sizeof packet, error), to);
    SetStatus(text);
    RecordEvent(to, name, outcome + ": " + error.message);
}

// A failed read must not pass for the end of the file, nor a failed write be
// acknowledged: the peer is told the transfer failed. A write's temporary
// file goes with the record and its target stays as it was; a target held
// open elsewhere is no full disk: the client is told it may not replace it,
// the record says why.
void CTftpSocket::FailTransfer(CTransfer* t)
{
    const std::uint16_t block = t->block;
    const Endpoint peer = t->peer;
    const std::string name = t->name;
    const bool isWrite = t->isWrite != 0;
    const bool inUse = isWrite && t->upload.targetInUse;
    RemoveTransfer(t);
    const TftpError& error = !isWrite ? kFileReadError : inUse ? kAccessViolation : kDiskFull;
    const char* status = isWrite ? "Write Failed for Block %d" : "Read Failed for Block %d";
    Refuse(error, FormatText(status, block), name, peer,
           FormatText("failed at block %d", block) + (inUse ? ": the target is in use" : ""));
}

void CTftpSocket::ShowMessage(const std::string& text)
{
    WriteRecordLine("message: " + text);
    ShowUnrecordedMessage(text);
}

void CTftpSocket::ShowUnrecordedMessage(const std::string& text)
{
    if (m_openBoxes >= kMaxOpenBoxes) {
        SetStatus(text);
        return;
    }
    // The box's loop handles the datagrams taken with this one, after what
    // the batch did so far is out.
    DeliverBatch();
    RepostReceive();
    ++m_openBoxes;
    MessageBoxWithoutRecord(text);
    --m_openBoxes;
}
