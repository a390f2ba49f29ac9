#pragma once
// The program takes no options. --help and --version answer and end the
// process before anything is bound or loaded; any other argument is ignored,
// with one line on standard error saying so.
#include <optional>

// The exit status when the command line has been answered, nothing otherwise.
std::optional<int> AnswerCommandLine(int argc, const char* const* argv);
