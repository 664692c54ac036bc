#pragma once

#include <string_view>

// Writes text to standard output and flushes it, for --help and --version.
// On failure (a full disk, a closed pipe) says so on standard error as
// "PROGRAM: cannot write standard output: REASON" and returns false.
bool WriteStandardOutput(const char* program, std::string_view text);
