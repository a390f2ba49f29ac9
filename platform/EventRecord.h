#pragma once
// The record of what the program did, one line per event, on standard error:
// journald keeps it when the program runs as a service, and a terminal shows
// it otherwise. No timestamp, since journald adds its own.
#include <string>

// Writes "vantrel: " line and a newline with one write(2), so that lines
// never interleave and none waits in a buffer.
void WriteRecordLine(const std::string& line);
