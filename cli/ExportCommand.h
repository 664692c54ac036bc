#pragma once

#include "cli/ExportOptions.h"

#include <cstdio>

// Exit statuses of quorvel-export.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitBookFailed = 1;  // book not opened, or contacts not read
inline constexpr int kExitUsage = 2;
inline constexpr int kExitFileFailed = 3;  // an output file not opened, written or closed

// Opens the book, lists its contacts and lists or exports them as the options
// say, through the same session and export runs as the dialog. Messages go to
// err as single lines; --list goes to out. Returns the exit status.
int RunExportCommand(const ExportOptions& options, std::FILE* out, std::FILE* err);
