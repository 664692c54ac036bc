#pragma once

// Temporary files that a signal must not leave behind. A program that wants
// this calls InstallTempFileCleanup once; then SIGINT, SIGTERM, SIGHUP and
// SIGQUIT (and SIGXFSZ, a file-size limit) remove every registered file before the program ends as
// the signal says. Registering without the handlers installed only records the path.
void InstallTempFileCleanup();

// Returns a slot to give to UnregisterTempFile, or -1 when every slot is taken
// or the path is too long (the file is then only removed by its owner).
int RegisterTempFile(const char* path);
// A temporary folder: its files and empty subfolders are removed, then the folder.
int RegisterTempFolder(const char* path);
void UnregisterTempFile(int slot);

// Removes every registered file and folder now (a program ending without
// unwinding). Async-signal-safe.
void RemoveTempFiles();
// What the handlers do, for a program's own handler: removes every registered
// file and folder and raises `signal` again with its default action, which
// ends the process once the handler returns. Async-signal-safe.
void RemoveTempFilesAndEnd(int signal);
