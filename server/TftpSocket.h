#pragma once
// The TFTP endpoint: the one UDP socket for all traffic, the owner of the
// transfer table and the handler of every datagram and of the 500 ms tick.
#include "platform/AsyncSocket.h"
#include "platform/WinTypes.h"
#include "server/TftpOptions.h"
#include "server/Transfer.h"
#include "server/TransferTable.h"

#include <string>
#include <vector>

struct TftpError;

// Why a request is refused: the ERROR the client gets and the status text.
struct Refusal {
    const TftpError* error = nullptr; // none: the request is served
    std::string text;
};

class CTftpSocket : public CAsyncSocket {
public:
    // TftpSocket.cpp: the endpoint's life, the dispatch of every datagram,
    // sending, message boxes, and the records of the transfer table.
    explicit CTftpSocket(UINT port = 69);
    ~CTftpSocket() override;
    // Keeps the three references, read again at each request; binds the
    // socket and registers the timer, or says in a box that it cannot bind.
    void Start(int* pEnableWrite, std::string* pWriteDir, std::vector<std::string>* pSearchDirs);
    void OnReceive(int errorCode) override;
    void OnBatchReceived() override;
    void RemoveTransfer(CTransfer* t);
    // The newest record of the transfer table; empty when none is active.
    CTransfer* Head() const { return m_head; }

    // ReadTransfer.cpp: read requests and their acknowledgements.
    // Sends t's next window of blocks from `block` on (one block unless the
    // request asked for a window), or removes t once its final block is
    // acknowledged.
    // FALSE when a read error ended the transfer (t is then removed, the peer
    // told and the status line set).
    BOOL SendNextBlock(CTransfer* t);

    // TimerTick.cpp: resends, re-acknowledgements, give-ups and expiry.
    void OnTimerTick();

private:
    // TftpSocket.cpp
    // The status line shows the newest text of a batch of datagrams or of a
    // tick, once the batch is delivered.
    void SetStatus(const std::string& text);
    // A text of numbers, the one that changes at every block: formatted only
    // if it is the newest of its batch, and by a window only when it shows it.
    void SetStatus(const char* format, int first, int second = 0);
    // Sends the replies the batch queued and shows its newest status text.
    void DeliverBatch();
    CTransfer* AddTransfer(bool isWrite, const std::string& name, const Endpoint& source);
    void OnErrorPacket(const char* packet, int length, const Endpoint& source);
    // The transfer of source whose option acknowledgement awaits its answer.
    CTransfer* AwaitingOptionsAnswer(const Endpoint& source) const;
    // Grants the request's options within the block that the interface it
    // came in through carries whole.
    GrantedOptions GrantOptions(const char* packet, int length, const Endpoint& source, long long fileSize) const;
    // Gives t what was granted and, when anything was, sends the option
    // acknowledgement that stands for block 0; false when nothing was.
    bool ApplyOptions(CTransfer* t, const GrantedOptions& options);
    void SendOptionsAck(CTransfer* t);
    void Send(const void* packet, int length, const Endpoint& to);
    void SendAck(std::uint16_t block, const Endpoint& to);
    // Sends the ERROR packet, shows the text on the status line and records
    // the outcome ("refused" or "failed ...") with the error's message.
    void Refuse(const TftpError& error, const std::string& text, const std::string& name, const Endpoint& to,
                const std::string& outcome = "refused");
    // A modal box, or the status line while too many boxes are open already;
    // the text is recorded as "message: <text>".
    void ShowMessage(const std::string& text);
    // The same, for a caller that has recorded the event itself.
    void ShowUnrecordedMessage(const std::string& text);
    void ReleaseMemoryOfLargeTable();
    // Ends t, which a read or write error stopped: the peer is told, the
    // status line and the record say at which block.
    void FailTransfer(CTransfer* t);

    // ReadTransfer.cpp
    void OnReadRequest(const char* packet, int length, const Endpoint& source);
    Refusal OpenForRead(const std::string& name, FileId* file, long long* size) const;
    void OnAck(const char* packet, const Endpoint& source);
    void OnOptionsAcknowledged(CTransfer* t, std::uint16_t acked);

    // WriteTransfer.cpp: write requests and their DATA blocks.
    void OnWriteRequest(const char* packet, int length, const Endpoint& source);
    Refusal BeginWrite(const std::string& name, const GrantedOptions& options, UploadFile* upload, FileId* file) const;
    void OnData(const char* packet, int length, const Endpoint& source);
    void AnswerDataOutOfOrder(const Endpoint& source);
    void FinishWrite(CTransfer* t, std::uint16_t block);

    // TimerTick.cpp
    void CountDownTransfers();
    void ResendOrGiveUp(CTransfer* r);
    void GiveUp(CTransfer* r);

    UINT m_port;
    int* m_pEnableWrite = nullptr;
    std::string* m_pWriteDir = nullptr;
    std::vector<std::string>* m_pSearchDirs = nullptr;
    CTransfer* m_head = nullptr;
    UINT_PTR m_timerId = 0;
    // The longest datagram taken off the socket: longer once a transfer is
    // granted blocks that need it.
    int m_receiveLength = kMaxDatagram;
    std::vector<char> m_dataPacket; // where DATA packets are composed
    int m_openBoxes = 0;
    std::string m_status;
    const char* m_statusFormat = nullptr; // with m_statusNumbers, instead of m_status
    int m_statusNumbers[2] = {};
    bool m_statusSet = false;
    CTransferIndex m_index;
    // Records in the table, and the most it held since it was last empty.
    int m_records = 0;
    int m_peakRecords = 0;
};

extern CTftpSocket* g_server;

// The timer callback: runs OnTimerTick on g_server.
void ServerTimerProc(HWND, UINT, UINT_PTR, DWORD);
