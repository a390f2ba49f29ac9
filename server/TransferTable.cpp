#include "server/TransferTable.h"

#include "server/TftpSocket.h"
#include "server/TransferRecord.h"

static bool SamePeer(const sockaddr_in& a, const sockaddr_in& b)
{
    return a.sin_port == b.sin_port && a.sin_addr.s_addr == b.sin_addr.s_addr;
}

CTransfer* FindReadTransfer(CTransfer* head, const sockaddr_in& peer)
{
    for (CTransfer* t = head; t; t = t->next)
        if (!t->isWrite && SamePeer(t->peer, peer))
            return t;
    return nullptr;
}

CTransfer* FindWriteTransfer(CTransfer* head, const sockaddr_in& peer, std::uint16_t block)
{
    // The expected block wraps from 65535 to 0, as clients count past it.
    for (CTransfer* t = head; t; t = t->next)
        if (t->isWrite && SamePeer(t->peer, peer) && block == static_cast<std::uint16_t>(t->block + 1))
            return t;
    return nullptr;
}

CTransfer* CTftpSocket::AddTransfer(std::FILE* file, bool isWrite, const std::string& name,
                                    const sockaddr_in& source, in_addr local)
{
    auto* t = new CTransfer;
    t->file = file;
    t->block = isWrite ? 0 : 1;
    t->isWrite = isWrite ? 1 : 0;
    t->peer = source;
    t->local = local;
    t->name = name;
    t->started = MonotonicSeconds();
    t->next = m_head;
    m_head = t;
    return t;
}

void CTftpSocket::RemoveTransfer(CTransfer* t)
{
    if (m_head == t) {
        m_head = t->next;
    } else {
        CTransfer* before = m_head;
        while (before->next != t)
            before = before->next;
        before->next = t->next;
    }
    if (t->file)
        std::fclose(t->file);
    DiscardUpload(&t->upload);
    delete t;
}
