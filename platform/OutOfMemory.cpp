#include "platform/OutOfMemory.h"

#include "platform/TempFileCleanup.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

const char* g_program = "";
int g_status = 1;
std::terminate_handler g_previous = nullptr;

[[noreturn]] void EndOnTerminate() {
    try {
        if (const std::exception_ptr current = std::current_exception()) {
            std::rethrow_exception(current);
        }
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory(g_program);
        RemoveTempFiles();
        std::_Exit(g_status);
    } catch (...) {
    }
    // Any other exception is told as the system's handler tells it.
    if (g_previous != nullptr) {
        g_previous();
    }
    std::abort();
}

}  // namespace

void ReportOutOfMemory(const char* program) {
    // Standard error is unbuffered: nothing here allocates.
    std::fprintf(stderr, "%s: out of memory\n", program);
}

void EndOnUncaughtOutOfMemory(const char* program, int status) {
    g_program = program;
    g_status = status;
    const std::terminate_handler previous = std::set_terminate(EndOnTerminate);
    g_previous = previous != EndOnTerminate ? previous : g_previous;
}
