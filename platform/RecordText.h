#pragma once
// One line of the record as it is written: "vantrel: ", the line and a
// newline. Control characters in line (a received name may hold any byte)
// become \xNN, so that every event stays one line.
#include <string>

std::string RecordText(const std::string& line);
