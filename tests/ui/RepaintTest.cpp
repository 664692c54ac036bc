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
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sys/prctl.h>

#include <csignal>
#include <memory>

namespace {

// Xvfb on a free display, with openbox managing its windows.
class XServer {
  public:
    ~XServer() {
        for (QProcess* process : {&m_windowManager, &m_server}) {
            process->terminate();
            process->waitForFinished(5000);
        }
    }

    // Empty when the server and the window manager run; else why not.
    QString Start(const QString& home) {
        // Both end with the test, however it ends.
        for (QProcess* process : {&m_server, &m_windowManager}) {
            process->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        }
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        const QString openbox = QStandardPaths::findExecutable("openbox");
        if (xvfb.isEmpty() || openbox.isEmpty()) {
            return "needs Xvfb and openbox (scripts/install-deps.sh installs them)";
        }
        // Xvfb writes the display number it chose to standard output.
        m_server.start(xvfb,
                       {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        if (!m_server.waitForReadyRead(20000)) {
            return "Xvfb did not start";
        }
        const QByteArray display = ":" + m_server.readLine().trimmed();
        qputenv("DISPLAY", display);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home);
        m_windowManager.setProcessEnvironment(environment);
        m_windowManager.setStandardErrorFile(QProcess::nullDevice());
        // openbox runs the startup command once it manages the screen.
        const QString ready = home + "/openbox-ready";
        m_windowManager.start(openbox, {"--sm-disable", "--startup", "touch " + ready});
        QElapsedTimer waited;
        waited.start();
        while (!QFile::exists(ready)) {
            if (waited.elapsed() > 20000 || m_windowManager.state() == QProcess::NotRunning) {
                return "openbox did not start";
            }
            QThread::msleep(20);
        }
        return QString();
    }

  private:
    QProcess m_server;
    QProcess m_windowManager;
};

QTemporaryDir* g_pHome = nullptr;
QString g_skipReason;

// The part of the screen that the widget covers, as the X server holds it.
QImage OnScreen(QWidget* widget) {
    const QPoint at = widget->mapToGlobal(QPoint(0, 0));
    return widget->screen()
        ->grabWindow(0, at.x(), at.y(), widget->width(), widget->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

int DifferentPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return a.width() * a.height();
    }
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return count;
}

}  // namespace

class RepaintTest : public QObject {
    Q_OBJECT

  private slots:
    void listDrawnDuringExport();
};

void RepaintTest::listDrawnDuringExport() {
    if (!g_skipReason.isEmpty()) {
        QSKIP(qPrintable(g_skipReason));
    }
    std::vector<TestContact> contacts;
    for (int i = 0; i < 400; ++i) {
        contacts.push_back({"Contact " + std::to_string(1000 + i), ""});
    }
    const QString book = MakeBook(g_pHome->path(), "book", contacts);
    QVERIFY(!book.isEmpty());
    const QString out = g_pHome->path() + "/out.vcf";

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
                        [&](QWidget* window) {
                            auto* files = qobject_cast<QFileDialog*>(window);
                            QVERIFY(files != nullptr);
                            // Over the list, as a person may place it.
                            files->move(dialog.frameGeometry().topLeft());
                            QTest::qWait(300);
                            auto* name = files->findChild<QLineEdit*>("fileNameEdit");
                            QVERIFY(name != nullptr);
                            name->setText(out);
                            QTest::keyClick(name, Qt::Key_Return);
                        },
                        ClickButton("OK")});
    QTest::mouseClick(dialog.GetDlgItem(IDC_EXPORT_ALL), Qt::LeftButton);
    QCOMPARE(script.Titles(), (QStringList{"Export Type?", "Save As", "Quorvel"}));
    QVERIFY(!during.isNull());
    const int differing = DifferentPixels(before, during);
    if (differing > before.width() * before.height() / 100) {
        const QString saved = QDir::tempPath() + "/quorvel-repaint-";
        before.save(saved + "before.png");
        during.save(saved + "during.png");
        QFAIL(qPrintable(QString("the list area showed something else during the export (%1 "
                                 "pixels differ): %2{before,during}.png")
                             .arg(differing)
                             .arg(saved)));
    }
    dialog.ContactList().DeleteAllItems();
    delete dialog.m_pSession;
    dialog.m_pSession = nullptr;
}

int main(int argc, char** argv) {
    QTemporaryDir home;
    g_pHome = &home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    XServer server;
    g_skipReason = server.Start(home.path());
    qputenv("QT_QPA_PLATFORM", g_skipReason.isEmpty() ? "xcb" : "offscreen");
    QApplication app(argc, argv);
    RepaintTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "RepaintTest.moc"
