#include "server/TftpSocket.h"

#include "server/StatusLine.h"
#include "server/StatusText.h"
#include "server/TftpPacket.h"
#include "server/TransferRecord.h"

constexpr std::uint16_t kMaxResends = 3;

void ServerTimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_server)
        g_server->OnTimerTick();
}

void CTftpSocket::OnTimerTick()
{
    CountDownTransfers();
    DeliverBatch();
}

void CTftpSocket::CountDownTransfers()
{
    CTransfer* r = m_head;
    while (r) {
        --r->replyTimeout;
        --r->lifetime;
        if (r->lifetime == 0) {
            RecordEvent(r->peer, r->name, "expired after 30 minutes");
            RemoveTransfer(r);
            SetStatus("Aborted connection");
            // The walk resumes behind the table's first record, so records
            // between it and r's old place are counted twice in this tick.
            if (!m_head || !m_head->next)
                return;
            r = m_head->next;
            continue;
        }
        // Taken first: a resend that meets a read error removes r.
        CTransfer* next = r->next;
        if (r->replyTimeout == 0)
            ResendOrGiveUp(r);
        r = next;
    }
}

// A read is resent at most three times over its whole life; a write is
// re-acknowledged at most three times between two DATA packets, so an upload
// that keeps moving survives any number of lost packets. An unanswered option
// acknowledgement is sent again as block 0 would be, within the same budget.
void CTftpSocket::ResendOrGiveUp(CTransfer* r)
{
    if (r->retries >= kMaxResends) {
        GiveUp(r);
        return;
    }
    ++r->retries;
    const bool options = !r->optionsAck.empty();
    if (options)
        RecordEvent(r->peer, r->name, FormatText("resent options acknowledgement (%d of 3)", r->retries));
    else
        RecordEvent(r->peer, r->name,
                    FormatText(r->isWrite ? "reacknowledged block %d (%d of 3)" : "resent block %d (%d of 3)", r->block,
                               r->retries));
    SetStatus(r->isWrite ? FormatText("Reacknowledge Block %d", r->block)
                         : FormatText("ReSent Block %d [%d total errors]", r->block, r->retries));
    if (options) {
        SendOptionsAck(r);
    } else if (r->isWrite) {
        // The client sends its window again from the block after this one.
        r->receivedInWindow = 0;
        SendAck(r->block, r->peer);
        r->replyTimeout = r->timeoutTicks;
    } else {
        r->eof = 0;
        SendNextBlock(r);
    }
}

// A silent peer holds nothing: its record, its file and, for a write, the
// unfinished temporary file go at once.
void CTftpSocket::GiveUp(CTransfer* r)
{
    const std::string text
        = r->isWrite ? FormatText("Write Block %d fail", r->block) : FormatText("ReSent Block %d fail", r->block);
    RecordEvent(r->peer, r->name, FormatText("gave up at block %d", r->block));
    RemoveTransfer(r);
    SetStatus(text);
}
