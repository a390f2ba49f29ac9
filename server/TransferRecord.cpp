#include "server/TransferRecord.h"

#include "platform/EventRecord.h"
#include "platform/RecordText.h"

#include <chrono>
#include <cstdio>

namespace {

std::string PeerForRecord(const sockaddr_in& client)
{
    char address[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &client.sin_addr, address, sizeof address);
    return std::string(address) + ":" + std::to_string(ntohs(client.sin_port));
}

} // namespace

void RecordEvent(const sockaddr_in& client, const std::string& name, const std::string& event)
{
    RecordPeerEvent(client, QuotedForRecord(name) + " " + event);
}

void RecordPeerEvent(const sockaddr_in& client, const std::string& event)
{
    WriteRecordLine(PeerForRecord(client) + " " + event);
}

std::string FinishedEvent(long long bytes, double startedSeconds)
{
    char text[96];
    std::snprintf(text, sizeof text, "finished: %lld bytes in %.2f s", bytes, MonotonicSeconds() - startedSeconds);
    return text;
}

double MonotonicSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
