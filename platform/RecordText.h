#pragma once
// Texts made safe for the record, so that every event stays one line that a
// reader, or a script, can take apart without doubt: a received name may hold
// any byte, and a name such as `x" finished: 1 bytes in 0.01 s` must not read
// as an outcome.
#include <string>

// The text between double quotes, with `"` and `\` escaped by a backslash and
// every control byte and every byte of 0x80 and above written as \xNN, so that
// invalid UTF-8 or a direction override (U+202E) cannot disturb the line.
std::string QuotedForRecord(const std::string& text);

// The text with control bytes and bytes of 0x80 and above written as \xNN, the
// rest as it is: for texts of the program's own that carry no quoted field.
std::string VisibleForRecord(const std::string& text);

// One line of the record as it is written: "vantrel: ", the line made
// visible and a newline.
std::string RecordText(const std::string& line);
