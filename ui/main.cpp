// quorvel: lists an address book's contacts and exports them as vCard or CSV.
#include "ui/ConverterApp.h"

#include <QApplication>
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
    "Without a book, the default address book is opened.\n";

// The one application object.
CConverterApp theApp;

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    // Qt's file dialog saves its history and last folder as user settings;
    // the program keeps nothing between runs, so they go to a scratch folder
    // removed at exit.
    const QTemporaryDir scratchSettings;
    if (scratchSettings.isValid()) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratchSettings.path());
    }
    // QApplication has taken its own options out of argv.
    theApp.InitInstance(std::vector<std::string>(argv + 1, argv + argc));
    return theApp.m_nExitCode;
}
