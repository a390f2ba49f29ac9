#include "server/TftpSocket.h"

#include "server/StatusText.h"
#include "server/TftpPacket.h"

constexpr std::uint16_t kMaxResends = 3;

void ServerTimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_server)
        g_server->OnTimerTick();
}

void CTftpSocket::OnTimerTick()
{
    CTransfer* r = m_head;
    while (r) {
        --r->replyTimeout;
        --r->lifetime;
        if (r->lifetime == 0) {
            RemoveTransfer(r);
            SetStatusLine("Aborted connection");
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

void CTftpSocket::ResendOrGiveUp(CTransfer* r)
{
    if (r->isWrite) {
        SendAck(r->block, r->peer);
        r->replyTimeout = kReplyTimeoutTicks;
        SetStatusLine(FormatText("Reacknowledge Block %d", r->block));
    } else if (r->retries < kMaxResends) {
        fseeko(r->file, r->blockOffset, SEEK_SET);
        r->eof = 0;
        ++r->retries;
        SetStatusLine(FormatText("ReSent Block %d [%d total errors]", r->block, r->retries));
        SendNextBlock(r);
    } else {
        // replyTimeout stays at 0 and falls below it, so nothing is resent again.
        r->isWrite = 1;
        r->retries = 0;
        SetStatusLine(FormatText("ReSent Block %d fail", r->block));
    }
}
