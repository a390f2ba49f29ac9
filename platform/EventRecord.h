#pragma once
// The record of what the program did, one line per event, on standard error:
// journald keeps it when the program runs as a service, and a terminal shows
// it otherwise. No timestamp, since journald adds its own.
#include <string>

// Writes "vantrel: ", line and a newline with one write(2), so that lines
// never interleave and none waits in a buffer. Control characters in line
// (a received name may hold any byte) are written as \xNN, so that every
// event stays one line.
void WriteRecordLine(const std::string& line);
