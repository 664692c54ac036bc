// Under its own Xvfb and openbox (skips without them): once the file dialog has
// closed, the list is on the screen while the export runs.
#include "UiTestSupport.h"

#include "ui/ContactListView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>

#include <sys/prctl.h>

#include <csignal>

static bool g_xRuns = false;

class RepaintTest : public QObject {
    Q_OBJECT

  private slots:
    void listDrawnDuringExport() {
        if (!g_xRuns) {
            QSKIP("needs Xvfb and openbox (scripts/install-deps.sh installs them)");
        }
        OpenDialog d(MakeBook(QDir::homePath(), "book", QStringList(400, "Contact")), true);
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        // The list area as the X server holds it.
        const auto onScreen = [list = d.ContactList().viewport()] {
            const QPoint at = list->mapToGlobal(QPoint(0, 0));
            return list->screen()->grabWindow(0, at.x(), at.y(), list->width(), list->height());
        };
        QTest::qWait(200);
        const QImage before = onScreen().toImage();
        // The screen as it is when the run sets its first position.
        QImage during;
        auto* bar = qobject_cast<QProgressBar*>(d.GetDlgItem(IDC_PROGRESS));
        QObject::connect(
            bar, &QProgressBar::valueChanged, bar, [&] { during = onScreen().toImage(); },
            Qt::SingleShotConnection);
        ModalScript script({ClickControl(IDC_EXPORT_VCARD), [&](QWidget* files) {
                                // Over the list, as a person may place it.
                                files->move(d.frameGeometry().topLeft());
                                QTest::qWait(300);
                                auto* name = files->findChild<QLineEdit*>("fileNameEdit");
                                name->setText(QDir::home().filePath("out.vcf"));
                                QTest::keyClick(name, Qt::Key_Return);
                            }});
        d.Click(IDC_EXPORT_ALL);
        QCOMPARE(during, before);
    }
};

int main(int argc, char** argv) {
    QTemporaryDir home;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
        qputenv(name, home.path().toLocal8Bit());
    }
    QProcess server, windowManager;
    for (QProcess* process : {&server, &windowManager}) {
        // Both end with the test, however it ends.
        process->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    }
    // Xvfb writes its display number; openbox runs --startup once it manages the screen.
    server.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    if (server.waitForReadyRead(20000)) {
        qputenv("DISPLAY", ":" + server.readLine().trimmed());
        windowManager.setStandardErrorFile(QProcess::nullDevice());
        const QString ready = home.filePath("wm");
        windowManager.start("openbox", {"--sm-disable", "--startup", "touch " + ready});
        g_xRuns = QTest::qWaitFor([&ready] { return QFile::exists(ready); }, 20000);
    }
    qputenv("QT_QPA_PLATFORM", g_xRuns ? "xcb" : "offscreen");
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
