#pragma once
// Status and message texts, built with printf formats from the system's own
// texts; received names are always arguments, never formats. The formats may
// use %d (int), %x (unsigned), %s and %%, and nothing else.
//
// The system's texts are kept exactly as they have always read, typos and
// trailing blanks included ("Fisrt Block of %s sent", "File Open Failedfor
// %s", "Unable to Bind socket. Is Vantrel already open? "): users know them,
// and scripts that watch the status line or the record match them.
#include <string>

std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
