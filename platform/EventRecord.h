#pragma once
// The record of what the program did, one line per event, on standard error:
// journald keeps it when the program runs as a service, and a terminal shows
// it otherwise. No timestamp, since journald adds its own.
#include <string>

// Writes "vantrel: ", line and a newline with one write(2), so that lines
// never interleave and none waits in a buffer. Control bytes and bytes of
// 0x80 and above in line are written as \xNN, so that every event stays one
// line of plain text; a received text goes in as QuotedForRecord makes it.
void WriteRecordLine(const std::string& line);
