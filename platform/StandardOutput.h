#pragma once

#include <string>
#include <string_view>

// Writes text to standard output and flushes it, for --help and --version.
// On failure (a full disk, a closed pipe) says so on standard error as
// "PROGRAM: cannot write standard output: REASON" and returns false.
bool WriteStandardOutput(const char* program, std::string_view text);

// Text (a name, a path, a message holding them) made fit for one line: control
// bytes and the backslash written as \\, \t, \n, \r and \xNN, as
// `quorvel-book dump` writes them; other bytes as they are. Every message and
// --list line goes through it, so no name can split a line or reach the
// terminal as an escape sequence.
std::string OneLine(std::string_view text);
