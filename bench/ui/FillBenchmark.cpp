// quorvel-ui-bench [N...]: opens a generated book of N contacts (default
// 100000) in the main dialog, offscreen, and prints the time from start to a
// filled list, to the first painted window, and the peak memory. Each size
// runs in a process of its own so that its peak memory is its own.
#include "addressbook/AddressBookSession.h"
#include "ui/ContactListView.h"
#include "ui/MainDlg.h"

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

int RunOne(const QString& book, long expected) {
    const Clock::time_point start = Clock::now();
    CMainDlg dialog;
    dialog.m_pSession = new CAddressBookSession(book.toStdString());
    if (!dialog.m_pSession->m_bOpened) {
        std::fprintf(stderr, "quorvel-ui-bench: cannot open %s\n", qPrintable(book));
        delete dialog.m_pSession;
        return 1;
    }
    dialog.Create();  // OnInitDialog fills the list
    const Clock::time_point filled = Clock::now();
    if (!QTest::qWaitForWindowExposed(&dialog)) {
        std::fprintf(stderr, "quorvel-ui-bench: the window did not come up\n");
    }
    dialog.repaint();
    const Clock::time_point painted = Clock::now();
    const int count = dialog.ContactList().GetItemCount();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("entries %ld  listed %d  fill %.0f ms  painted %.0f ms  peak memory %.0f MiB\n",
                expected, count, Ms(start, filled), Ms(start, painted),
                static_cast<double>(usage.ru_maxrss) / 1024.0);
    dialog.ContactList().DeleteAllItems();
    delete dialog.m_pSession;
    dialog.m_pSession = nullptr;
    return count > 0 || expected == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments().mid(1);
    if (args.size() == 3 && args[0] == "--one") {
        return RunOne(args[1], args[2].toLong());
    }
    if (args.isEmpty()) {
        args << "100000";
    }
    QTemporaryDir dir;
    int status = 0;
    for (const QString& size : args) {
        const QString book = dir.path() + "/bench-" + size + ".wab";
        if (QProcess::execute(QStringLiteral(QUORVEL_BOOK_TOOL),
                              {"generate", "--contacts", size, "--force", book}) != 0) {
            std::fprintf(stderr, "quorvel-ui-bench: cannot generate %s\n", qPrintable(book));
            return 1;
        }
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QApplication::applicationFilePath(), {"--one", book, size});
        child.waitForFinished(-1);
        status |= child.exitCode();
    }
    return status;
}
