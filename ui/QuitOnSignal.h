#pragma once

#include <QObject>

class QSocketNotifier;

// SIGINT, SIGTERM and SIGHUP end the program in order: the handler writes to
// a pipe, and the event loop, woken by it, leaves every running loop
// (QCoreApplication::exit), so the dialogs close and the destructors run;
// a loop started after that returns at once. While the program works outside
// its loop (BusyOutsideLoop) it cannot answer: then, and on a second signal
// before the first is answered, the handler removes the temporary files and
// folders registered with TempFileCleanup and ends the program at once.
// SIGQUIT always ends it so; SIGXFSZ is ignored, so that a file-size limit
// fails the write and is reported.
class QuitOnSignal final : public QObject {
  public:
    // After the QApplication; one per program.
    QuitOnSignal();
    ~QuitOnSignal() override;
    QuitOnSignal(const QuitOnSignal&) = delete;
    QuitOnSignal& operator=(const QuitOnSignal&) = delete;

    // The signal that asked the program to quit; 0 when none did.
    static int Signal();

  private:
    int m_pipe[2] = {-1, -1};
    QSocketNotifier* m_pNotifier = nullptr;
};

// Marks work that runs outside the event loop: opening a book, filling the
// list, writing an export.
class BusyOutsideLoop {
  public:
    BusyOutsideLoop();
    ~BusyOutsideLoop();
    BusyOutsideLoop(const BusyOutsideLoop&) = delete;
    BusyOutsideLoop& operator=(const BusyOutsideLoop&) = delete;
};
