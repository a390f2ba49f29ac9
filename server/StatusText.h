#pragma once
// Status and message texts, built with printf formats from the system's own
// texts; received names are always arguments, never formats. The formats may
// use %d (int), %x (unsigned), %s and %%, and nothing else.
#include <string>

std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
