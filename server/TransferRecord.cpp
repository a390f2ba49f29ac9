#include "server/TransferRecord.h"

#include "platform/EventRecord.h"
#include "platform/RecordText.h"

#include <chrono>
#include <cstdio>

void RecordEvent(const Endpoint& client, const std::string& name, const std::string& event)
{
    RecordPeerEvent(client, QuotedForRecord(name) + " " + event);
}

void RecordPeerEvent(const Endpoint& client, const std::string& event)
{
    WriteRecordLine(client.PeerText() + " " + event);
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
