#include "platform/TempFileCleanup.h"

#include <climits>
#include <csignal>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Fixed storage, so that the handler needs no allocation; a slot is in use
// while its flag is set.
constexpr int kSlots = 8;
char g_paths[kSlots][PATH_MAX];
volatile sig_atomic_t g_used[kSlots];  // 0 free, 1 a file, 2 a folder

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ};

// The folder's entries, then the folder; getdents64 rather than readdir, which
// allocates. Entries unlinked while listed may hide others: a few passes.
void RemoveFolder(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    alignas(dirent64) static char buffer[4096];
    for (int pass = 0; fd >= 0 && pass < 3 && ::rmdir(path) != 0; ++pass) {
        ::lseek(fd, 0, SEEK_SET);
        ssize_t size = 0;
        while ((size = ::getdents64(fd, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < size;) {
                const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
                at += entry->d_reclen;
                if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
                    ::unlinkat(fd, entry->d_name, entry->d_type == DT_DIR ? AT_REMOVEDIR : 0);
                }
            }
        }
    }
    if (fd >= 0) {
        ::close(fd);
    }
}

int Register(const char* path, sig_atomic_t kind) {
    const std::size_t length = std::strlen(path);
    if (length >= PATH_MAX) {
        return -1;
    }
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i] == 0) {
            std::memcpy(g_paths[i], path, length + 1);
            g_used[i] = kind;
            return i;
        }
    }
    return -1;
}

}  // namespace

void RemoveTempFilesAndEnd(int signal) {
    RemoveTempFiles();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void InstallTempFileCleanup() {
    struct sigaction action {};
    action.sa_handler = RemoveTempFilesAndEnd;
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
    return Register(path, 1);
}

int RegisterTempFolder(const char* path) {
    return Register(path, 2);
}

void UnregisterTempFile(int slot) {
    if (slot >= 0 && slot < kSlots) {
        g_used[slot] = 0;
    }
}

void RemoveTempFiles() {
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i] == 1) {
            ::unlink(g_paths[i]);
        } else if (g_used[i] == 2) {
            RemoveFolder(g_paths[i]);
        }
    }
}
