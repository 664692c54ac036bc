// The main window as a person sees it on a real X server with a window
// manager: once the file dialog has closed, the list is drawn on the screen
// while the export runs. Starts its own Xvfb and openbox; skips when either
// is missing.
#include "UiTestSupport.h"

#include "addressbook/AddressBookSession.h"
#include "ui/ContactListView.h"
#include "ui/MainDlg.h"
#include "ui/Resource.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/prctl.h>

#include <csignal>

namespace {

QTemporaryDir* g_pHome = nullptr;
QString g_skipReason;

// Starts Xvfb on a free display and openbox on it; empty when both run, else why not.
QString StartXServer(QProcess& server, QProcess& windowManager) {
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    const QString openbox = QStandardPaths::findExecutable("openbox");
    if (xvfb.isEmpty() || openbox.isEmpty()) {
        return "needs Xvfb and openbox (scripts/install-deps.sh installs them)";
    }
    for (QProcess* process : {&server, &windowManager}) {
        // Both end with the test, however it ends.
        process->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    }
    // Xvfb writes the display number it chose to standard output.
    server.start(xvfb, {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    if (!server.waitForReadyRead(20000)) {
        return "Xvfb did not start";
    }
    qputenv("DISPLAY", ":" + server.readLine().trimmed());
    windowManager.setStandardErrorFile(QProcess::nullDevice());
    // openbox runs the startup command once it manages the screen.
    const QString ready = g_pHome->filePath("openbox-ready");
    windowManager.start(openbox, {"--sm-disable", "--startup", "touch " + ready});
    for (int waited = 0; !QFile::exists(ready); waited += 20) {
        if (waited > 20000 || windowManager.state() == QProcess::NotRunning) {
            return "openbox did not start";
        }
        QTest::qSleep(20);
    }
    return QString();
}

// The part of the screen that the widget covers, as the X server holds it.
QImage OnScreen(QWidget* widget) {
    const QPoint at = widget->mapToGlobal(QPoint(0, 0));
    return widget->screen()
        ->grabWindow(0, at.x(), at.y(), widget->width(), widget->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class RepaintTest : public QObject {
    Q_OBJECT

  private slots:
    void listDrawnDuringExport() {
        if (!g_skipReason.isEmpty()) {
            QSKIP(qPrintable(g_skipReason));
        }
        QStringList names;
        for (int i = 0; i < 400; ++i) {
            names << "Contact " + QString::number(1000 + i);
        }
        const QString book = MakeBook(g_pHome->path(), "book", names);
        QVERIFY(!book.isEmpty());
        CMainDlg dialog;
        dialog.m_pSession = new CAddressBookSession(book.toStdString());
        dialog.Create();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QWidget* listArea = dialog.ContactList().viewport();
        QTest::qWait(200);
        const QImage before = OnScreen(listArea);
        // The screen as it is when the run sets its first position.
        QImage during;
        auto* bar = qobject_cast<QProgressBar*>(dialog.GetDlgItem(IDC_PROGRESS));
        QObject::connect(bar, &QProgressBar::valueChanged, [&] {
            if (during.isNull()) {
                during = OnScreen(listArea);
            }
        });
        ModalScript script({ClickControl(IDC_EXPORT_VCARD),
                            [&](QWidget* files) {
                                // Over the list, as a person may place it.
                                files->move(dialog.frameGeometry().topLeft());
                                QTest::qWait(300);
                                auto* name = files->findChild<QLineEdit*>("fileNameEdit");
                                QVERIFY(name != nullptr);
                                name->setText(g_pHome->filePath("out.vcf"));
                                QTest::keyClick(name, Qt::Key_Return);
                            },
                            ClickButton("OK")});
        QTest::mouseClick(dialog.GetDlgItem(IDC_EXPORT_ALL), Qt::LeftButton);
        QCOMPARE(script.titles, (QStringList{"Export Type?", "Save As", "Quorvel"}));
        QCOMPARE(during, before);
        dialog.ContactList().DeleteAllItems();
        delete dialog.m_pSession;
        dialog.m_pSession = nullptr;
    }
};

int main(int argc, char** argv) {
    QTemporaryDir home;
    g_pHome = &home;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
        qputenv(name, home.path().toLocal8Bit());
    }
    QProcess server;
    QProcess windowManager;
    g_skipReason = StartXServer(server, windowManager);
    qputenv("QT_QPA_PLATFORM", g_skipReason.isEmpty() ? "xcb" : "offscreen");
    QApplication app(argc, argv);
    RepaintTest test;
    const int status = QTest::qExec(&test, argc, argv);
    for (QProcess* process : {&windowManager, &server}) {
        process->terminate();
        process->waitForFinished(5000);
    }
    return status;
}

#include "RepaintTest.moc"
