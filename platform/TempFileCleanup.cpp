#include "platform/TempFileCleanup.h"

#include <climits>
#include <csignal>
#include <cstring>

#include <unistd.h>

namespace {

// Fixed storage, so that the handler needs no allocation; a slot is in use
// while its flag is set.
constexpr int kSlots = 8;
char g_paths[kSlots][PATH_MAX];
volatile sig_atomic_t g_used[kSlots];

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ};

void RemoveAndEnd(int signal) {
    RemoveTempFiles();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

void InstallTempFileCleanup() {
    struct sigaction action {};
    action.sa_handler = RemoveAndEnd;
    sigfillset(&action.sa_mask);
    for (int signal : kSignals) {
        struct sigaction old {};
        // A signal the caller's parent ignores (nohup) stays ignored.
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) {
            ::sigaction(signal, &action, nullptr);
        }
    }
}

int RegisterTempFile(const char* path) {
    const std::size_t length = std::strlen(path);
    if (length >= PATH_MAX) {
        return -1;
    }
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i] == 0) {
            std::memcpy(g_paths[i], path, length + 1);
            g_used[i] = 1;
            return i;
        }
    }
    return -1;
}

void UnregisterTempFile(int slot) {
    if (slot >= 0 && slot < kSlots) {
        g_used[slot] = 0;
    }
}

void RemoveTempFiles() {
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i] != 0) {
            ::unlink(g_paths[i]);
        }
    }
}
