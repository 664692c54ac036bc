// quorvel-screenshots BOOK OUTDIR: shows the main dialog on BOOK and saves
// pictures of it with a selection, of "Export Type?", of the About box, of
// the window while Export All runs and of "Export Complete" into OUTDIR.
// Used by scripts/screenshot.sh.
#include "tests/ui/UiTestSupport.h"

#include "addressbook/AddressBookSession.h"
#include "ui/ContactListView.h"
#include "ui/MainDlg.h"
#include "ui/Resource.h"

#include <QApplication>
#include <QDir>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

bool Save(QWidget* window, const QString& path) {
    QTest::qWait(100);
    const bool saved = window->grab().save(path, "PNG");
    std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(path));
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: quorvel-screenshots BOOK OUTDIR\n");
        return 2;
    }
    const QString outDir = args[2];
    QDir().mkpath(outDir);
    QTemporaryDir scratch;

    CMainDlg dialog;
    dialog.m_pSession = new CAddressBookSession(args[1].toStdString());
    if (!dialog.m_pSession->m_bOpened) {
        std::fprintf(stderr, "quorvel-screenshots: cannot open %s\n", qPrintable(args[1]));
        delete dialog.m_pSession;
        return 1;
    }
    ScriptedFileDialogs files;
    dialog.SetFileDialogs(&files);
    dialog.Create();
    if (!QTest::qWaitForWindowExposed(&dialog)) {
        std::fprintf(stderr, "quorvel-screenshots: the window did not come up\n");
    }

    ContactListView& list = dialog.ContactList();
    for (int index : {1, 3, 4}) {
        if (index < list.GetItemCount()) {
            list.SetItemSelected(index, true);
        }
    }
    // The list shows its selection while it has the focus in the active window.
    dialog.activateWindow();
    if (!QTest::qWaitForWindowActive(&dialog)) {
        std::fprintf(stderr, "quorvel-screenshots: the window did not become active\n");
    }
    list.setFocus();
    bool ok = Save(&dialog, outDir + "/main-window.png");

    {
        ModalScript script({[&](QWidget* w) {
            ok = Save(w, outDir + "/export-type.png") && ok;
            QTest::keyClick(w, Qt::Key_Escape);
        }});
        QTest::mouseClick(dialog.GetDlgItem(IDC_EXPORT), Qt::LeftButton);
    }
    {
        ModalScript script({[&](QWidget* w) {
            ok = Save(w, outDir + "/about.png") && ok;
            QTest::keyClick(w, Qt::Key_Escape);
        }});
        QTest::mouseClick(dialog.GetDlgItem(IDC_ABOUT), Qt::LeftButton);
    }
    {
        // The window as the screen shows it while the run moves the bar.
        auto* bar = qobject_cast<QProgressBar*>(dialog.GetDlgItem(IDC_PROGRESS));
        bool running = false;
        QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
            if (!running && value * 2 >= bar->maximum()) {
                running = true;
                const QString path = outDir + "/export-running.png";
                const bool saved = dialog.screen()->grabWindow(dialog.winId()).save(path, "PNG");
                std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(path));
                ok = saved && ok;
            }
        });
        files.Answer((scratch.path() + "/contacts.vcf").toStdString());
        ModalScript script({ClickControl(IDC_EXPORT_VCARD), [&](QWidget* w) {
                                ok = Save(w, outDir + "/export-complete.png") && ok;
                                QTest::keyClick(w, Qt::Key_Escape);
                            }});
        QTest::mouseClick(dialog.GetDlgItem(IDC_EXPORT_ALL), Qt::LeftButton);
    }

    list.DeleteAllItems();
    delete dialog.m_pSession;
    dialog.m_pSession = nullptr;
    return ok ? 0 : 1;
}
