#pragma once

#include <new>

// Says "PROGRAM: out of memory" on standard error, without allocating.
void ReportOutOfMemory(const char* program);

// Makes an allocation failure that cannot be caught (one raised while a
// destructor runs, as the JSON library's may) end the program as ExitStatusOf
// does: the message, the registered temporary files removed, `status`.
void EndOnUncaughtOutOfMemory(const char* program, int status);

// Runs a program's work and returns its exit status; an allocation failure
// anywhere in it becomes "PROGRAM: out of memory" on standard error and
// `status`, after the work's destructors have removed what it made.
template <typename Work>
int ExitStatusOf(const char* program, int status, Work&& work) {
    EndOnUncaughtOutOfMemory(program, status);
    try {
        return work();
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory(program);
        return status;
    }
}
