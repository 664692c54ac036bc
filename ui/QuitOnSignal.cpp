#include "ui/QuitOnSignal.h"

#include "platform/TempFileCleanup.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

volatile sig_atomic_t g_signal = 0;
volatile sig_atomic_t g_busy = 0;
volatile sig_atomic_t g_pipeWrite = -1;

// Wakes the event loop to quit; cleans up and ends at once when the loop
// cannot answer, or was already asked.
void AskToQuit(int signal) {
    if (g_busy != 0 || g_signal != 0 || g_pipeWrite < 0) {
        RemoveTempFilesAndEnd(signal);
        return;
    }
    g_signal = signal;
    const int saved = errno;
    const char byte = 0;
    (void)!::write(g_pipeWrite, &byte, 1);
    errno = saved;
}

}  // namespace

QuitOnSignal::QuitOnSignal() {
    InstallTempFileCleanup();
    std::signal(SIGXFSZ, SIG_IGN);
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;  // the cleanup handlers stay
    }
    m_pNotifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(m_pipe[0], bytes, sizeof bytes) > 0) {
        }
        QCoreApplication::exit();
    });
    g_pipeWrite = m_pipe[1];
    struct sigaction action {};
    action.sa_handler = AskToQuit;
    action.sa_flags = SA_RESTART;
    sigfillset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        // A signal the caller's parent ignores (nohup) stays ignored.
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) {
            ::sigaction(signal, &action, nullptr);
        }
    }
}

QuitOnSignal::~QuitOnSignal() {
    g_pipeWrite = -1;
    delete m_pNotifier;
    for (const int fd : m_pipe) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

int QuitOnSignal::Signal() {
    return g_signal;
}

BusyOutsideLoop::BusyOutsideLoop() {
    g_busy = g_busy + 1;
}

BusyOutsideLoop::~BusyOutsideLoop() {
    g_busy = g_busy - 1;
}
