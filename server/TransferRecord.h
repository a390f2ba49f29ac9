#pragma once
// The record of transfers: one line per event of a request or a transfer,
// each naming the client's address and port (an IPv6 address in brackets) and the file name as received,
// quoted and escaped so that no name can pass for another part of the line.
// Never a line per block, so a large transfer is a handful of lines.
#include "platform/Endpoint.h"

#include <string>

void RecordEvent(const Endpoint& client, const std::string& name, const std::string& event);
// A line for an event that belongs to no file: the client's address and port,
// then event.
void RecordPeerEvent(const Endpoint& client, const std::string& event);

// "finished: <bytes> bytes in <seconds> s", from the transfer's start.
std::string FinishedEvent(long long bytes, double startedSeconds);

// Seconds on a monotonic clock, for a transfer's start and end.
double MonotonicSeconds();
