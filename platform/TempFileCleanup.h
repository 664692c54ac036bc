#pragma once

// Temporary files that a signal must not leave behind. A program that wants
// this calls InstallTempFileCleanup once; then SIGINT, SIGTERM, SIGHUP and
// SIGQUIT (and SIGXFSZ, a file-size limit) remove every registered file before the program ends as
// the signal says. Registering without the handlers installed only records the path.
void InstallTempFileCleanup();

// Returns a slot to give to UnregisterTempFile, or -1 when every slot is taken
// or the path is too long (the file is then only removed by its owner).
int RegisterTempFile(const char* path);
void UnregisterTempFile(int slot);

// Removes every registered file now (a program ending without unwinding).
void RemoveTempFiles();
