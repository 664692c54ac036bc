// quorvel: lists an address book's contacts and exports them as vCard or CSV.
#include "platform/OutOfMemory.h"
#include "platform/StandardOutput.h"
#include "platform/TempFileCleanup.h"
#include "ui/ConverterApp.h"
#include "ui/QuitOnSignal.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: quorvel [BOOK.wab]\n"
    "Shows the contacts of an address book and exports them as vCard 2.1 or CSV files.\n"
    "Without a book, the default address book is opened. A vCard file (.vcf) can be the book.\n";

// The one application object.
CConverterApp theApp;

// --version prints the version before any window or book exists; the exit
// status, or -1 when the argument is not there.
int PrintVersionIfAsked(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            return WriteStandardOutput("quorvel", "quorvel " QUORVEL_VERSION "\n") ? 0 : 1;
        }
    }
    return -1;
}

// The program from the QApplication on; its exit status.
int Run(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    const QuitOnSignal quitOnSignal;
    // Qt's file dialog saves its history and last folder as user settings;
    // the program keeps nothing between runs, so they go to a scratch folder
    // removed at exit, or by a signal's cleanup.
    QTemporaryDir scratchSettings;
    int scratchSlot = -1;
    if (scratchSettings.isValid()) {
        scratchSlot = RegisterTempFolder(QFile::encodeName(scratchSettings.path()).constData());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratchSettings.path());
    }
    // QApplication has taken its own options out of argv.
    theApp.InitInstance(std::vector<std::string>(argv + 1, argv + argc));
    // Left to the signal's cleanup until it is gone.
    scratchSettings.remove();
    UnregisterTempFile(scratchSlot);
    return theApp.ExitCode();
}

// The whole program: its options, then the window; its exit status.
int Main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            return WriteStandardOutput("quorvel", kUsage) ? 0 : 1;
        }
    }
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '\0') {
            // An unset variable in a script, not a request for the default book.
            std::fputs("quorvel: an empty argument names no book (see --help)\n", stderr);
            return 2;
        }
    }
    if (const int status = PrintVersionIfAsked(argc, argv); status >= 0) {
        return status;
    }
    const int status = Run(argc, argv);
    // A signal that asked to quit ends the program as that signal, once all is
    // closed and removed.
    if (const int signal = QuitOnSignal::Signal(); signal != 0) {
        RemoveTempFilesAndEnd(signal);
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    return ExitStatusOf("quorvel", 1, [&] { return Main(argc, argv); });
}
