// The main window driven through its widgets: start-up, selection, every
// export path (each file compared byte for byte with quorvel-export's), an
// incomplete book, Browse, and the desktop's file dialogs.
#include "UiTestSupport.h"

#include "addressbook/AddressBookSession.h"
#include "tests/addressbook/FakeWab.h"
#include "tests/support/TestSupport.h"
#include "ui/ContactListView.h"
#include "ui/ConverterApp.h"
#include "ui/MainDlg.h"
#include "ui/Resource.h"

#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>

using testing_support::RunProgram;

namespace {

const QStringList kNames{"Alice Archer", "Bob Baker",  "Carol Cooper", "Dave Dyer", "Erin Evans",
                         "Frank Fisher", "Grace Gill", "Heidi Hart",   "Ivan Ives"};
const QStringList kOtherNames{"Yann Young", "Zoe Zimmer"};

std::string Bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QByteArray Read(const QString& path) {
    return QByteArray::fromStdString(testing_support::ReadFile(Bytes(path)));
}

// quorvel-export -q with the arguments, which must succeed.
void RunCliExport(const QStringList& arguments) {
    std::vector<std::string> args{"-q"};
    for (const QString& argument : arguments) {
        args.push_back(Bytes(argument));
    }
    const testing_support::ProgramResult r = RunProgram(QUORVEL_EXPORT_TOOL, args);
    QVERIFY2(r.status == 0, r.err.c_str());
}

QStringList ItemTexts(const ContactListView& list) {
    QStringList texts;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        texts << list.model()->index(i, 0).data().toString();
    }
    return texts;
}

// The main dialog on one book, shown without a modal loop.
struct OpenDialog {
    explicit OpenDialog(const QString& book) {
        dialog.m_pSession = new CAddressBookSession(Bytes(book));
        dialog.SetFileDialogs(&files);
        dialog.Create();
    }
    ~OpenDialog() {
        dialog.ContactList().DeleteAllItems();
        delete dialog.m_pSession;
    }
    ContactListView& List() { return dialog.ContactList(); }
    void Click(int id) { QTest::mouseClick(dialog.GetDlgItem(id), Qt::LeftButton); }
    bool ExportEnabled() { return dialog.GetDlgItem(IDC_EXPORT)->isEnabled(); }
    // A person's click on an item, with Ctrl to add it to the selection or take it out.
    void ClickItem(int index, bool add = false) {
        QTest::mouseClick(List().viewport(), Qt::LeftButton,
                          add ? Qt::ControlModifier : Qt::NoModifier,
                          List().visualRect(List().model()->index(index, 0)).center());
    }
    // Export All as vCard into `out`; the texts of the windows that came up.
    QStringList ExportAllAsVCard(const QString& out) {
        files.Answer(Bytes(out));
        ModalScript script({ClickControl(IDC_EXPORT_VCARD), ClickButton("OK")});
        Click(IDC_EXPORT_ALL);
        return script.texts;
    }

    ScriptedFileDialogs files;
    CMainDlg dialog;
};

}  // namespace

class MainDialogTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_book;
    QString m_otherBook;
    QString m_emptyBook;

  private slots:
    void initTestCase() {
        qputenv("XDG_DATA_HOME", (m_dir.path() + "/data").toLocal8Bit());
        // Qt's file dialog keeps its settings here, not in the real home.
        qputenv("XDG_CONFIG_HOME", (m_dir.path() + "/config").toLocal8Bit());
        m_book = MakeBook(m_dir.path(), "book", kNames);
        m_emptyBook = MakeBook(m_dir.path(), "empty", {});
        // The other book is the default book.
        QVERIFY(QDir().mkpath(m_dir.path() + "/data/quorvel"));
        m_otherBook =
            MakeBook(m_dir.path() + "/data/quorvel", "default", {"Zoe Zimmer", "Yann Young"});
        QVERIFY(!m_book.isEmpty() && !m_otherBook.isEmpty() && !m_emptyBook.isEmpty());
    }

    void startUp_data() {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<QStringList>("listed");  // none: no window, one line on standard error
        const QByteArray book = QFile::encodeName(m_book);
        QTest::newRow("no argument: the default book") << QByteArrayList{} << kOtherNames;
        QTest::newRow("flags only: the default book") << QByteArrayList{"--x", "/y"} << kOtherNames;
        QTest::newRow("a flag, then a name") << QByteArrayList{"-flag", book} << kNames;
        QTest::newRow("slash flag, then a path") << QByteArrayList{"/x", book} << kNames;
        QTest::newRow("two names: the first")
            << QByteArrayList{QFile::encodeName(m_otherBook), book} << kOtherNames;
        QTest::newRow("missing book") << QByteArrayList{book + ".missing"} << QStringList{};
        QTest::newRow("missing book at the root")
            << QByteArrayList{"/quorvel-missing.wab"} << QStringList{};
        QTest::newRow("the root folder") << QByteArrayList{"/"} << QStringList{};
        QTest::newRow("Latin-1 name") << QByteArrayList{"caf\xe9.wab"} << QStringList{};
    }

    void startUp() {
        QFETCH(QByteArrayList, arguments);
        QFETCH(QStringList, listed);
        std::vector<std::string> args;
        for (const QByteArray& argument : arguments) {
            args.push_back(argument.toStdString());
        }
        if (listed.isEmpty()) {
            // The program itself, timed out in case a window comes up after all.
            const std::string home = Bytes(m_dir.path()), data = home + "/fresh";
            args.insert(args.begin(), {"20", QUORVEL_PROGRAM});
            const testing_support::ProgramResult r =
                RunProgram("/usr/bin/timeout", args,
                           {"XDG_DATA_HOME=" + data, "HOME=" + home, "XDG_RUNTIME_DIR=" + home});
            QCOMPARE(r.status, 1);
            QVERIFY2(r.err.starts_with("quorvel: cannot open " + args[2] + " as an address book") &&
                         std::count(r.err.begin(), r.err.end(), '\n') == 1,
                     r.err.c_str());
            QVERIFY(!std::filesystem::exists(data));  // no default book made
            return;
        }
        QStringList shown;
        ModalScript script({[&](QWidget* window) {
            auto* dialog = qobject_cast<CMainDlg*>(window);
            QVERIFY(dialog != nullptr && !dialog->GetDlgItem(IDC_EXPORT)->isEnabled());
            shown = ItemTexts(dialog->ContactList());
            QTest::mouseClick(dialog->GetDlgItem(IDCANCEL), Qt::LeftButton);  // Exit
        }});
        CConverterApp app;
        app.InitInstance(args);
        QCOMPARE(script.titles, QStringList{"Quorvel"});
        QCOMPARE(shown, listed);
        QCOMPARE(app.ExitCode(), 0);
    }

    void exportEnabledThroughSelections() {
        OpenDialog d(m_book);
        d.dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d.dialog));
        d.ClickItem(3);
        QVERIFY(d.ExportEnabled());
        // The selection is drawn only while the list has the focus, and kept.
        const auto highlighted = [&d] {
            const QRect item = d.List().visualRect(d.List().model()->index(3, 0));
            return d.List().viewport()->grab().toImage().pixel(item.left() + 1,
                                                               item.center().y()) !=
                   d.List().palette().color(QPalette::Base).rgb();
        };
        QVERIFY(highlighted());
        QTest::keyClick(&d.List(), Qt::Key_Tab);
        QVERIFY(!d.List().hasFocus() && !highlighted());
        QCOMPARE(d.List().GetNextItem(-1, LVNI_SELECTED), 3);
        QTest::keyClick(d.dialog.focusWidget(), Qt::Key_Backtab);
        QVERIFY(highlighted());
        d.ClickItem(3, true);  // deselected: Export stays enabled
        QVERIFY(d.List().GetNextItem(-1, LVNI_SELECTED) == -1 && d.ExportEnabled());
        // Export disables it; only an item after the last one chosen enables it again.
        d.ClickItem(7);
        d.files.Answer(Bytes(m_dir.path() + "/sel.vcf"));
        {
            ModalScript script({ClickControl(IDC_EXPORT_VCARD), ClickButton("OK")});
            d.Click(IDC_EXPORT);
        }
        for (int index : {7, 2}) {
            d.ClickItem(index);
            QVERIFY(!d.ExportEnabled());
        }
        d.ClickItem(8);
        QVERIFY(d.ExportEnabled());
    }

    void exportPaths_data() {
        QTest::addColumn<int>("kind");  // IDCANCEL: Escape in the type dialog
        QTest::addColumn<bool>("all");
        QTest::addColumn<QString>("selection");  // items Ctrl+clicked
        QTest::addColumn<QStringList>("files");  // the file dialogs' answers; "": Cancel
        QTest::addColumn<QString>("message");    // of the box after the run; "": none
        const QString done = "Export Complete";
        for (const auto& [name, kind] : {std::pair{"vCard", IDC_EXPORT_VCARD},
                                         {"CSV", IDC_EXPORT_CSV},
                                         {"split", IDC_EXPORT_CSV_SPLIT}}) {
            const QStringList files = kind == IDC_EXPORT_CSV_SPLIT
                                          ? QStringList{"header.csv", "out"}
                                          : QStringList{"out"};
            QTest::addRow("%s, selected", name) << kind << false << "0,4,8" << files << done;
            QTest::addRow("%s, all", name) << kind << true << "2" << files << done;
            QTest::addRow("%s, all, none chosen", name) << kind << true << "" << files << done;
            QTest::addRow("%s, one chosen, then none", name)
                << kind << false << "4,4" << files << done;
        }
        QTest::newRow("split, one file for both")
            << IDC_EXPORT_CSV_SPLIT << true << "" << QStringList{"s.csv", "s.csv"} << done;
        QTest::newRow("Escape in the type dialog")
            << IDCANCEL << false << "2" << QStringList{} << "";
        QTest::newRow("vCard file cancelled")
            << IDC_EXPORT_VCARD << false << "2" << QStringList{""} << "";
        QTest::newRow("CSV file cancelled")
            << IDC_EXPORT_CSV << false << "2" << QStringList{""} << "";
        QTest::newRow("header file cancelled")
            << IDC_EXPORT_CSV_SPLIT << false << "2" << QStringList{""} << "";
        QTest::newRow("split data file cancelled: the header file stays")
            << IDC_EXPORT_CSV_SPLIT << false << "2" << QStringList{"header.csv", ""} << "";
        QTest::newRow("the open book refused")
            << IDC_EXPORT_VCARD << false << "1" << QStringList{m_book}
            << "is the address book being read";
        QTest::newRow("a full disk")
            << IDC_EXPORT_CSV << false << "1" << QStringList{"/dev/full"}
            << "\"/dev/full\" could not be written.\n" + QString::fromLocal8Bit(strerror(ENOSPC));
    }

    void exportPaths() {
        QFETCH(int, kind);
        QFETCH(bool, all);
        QFETCH(QString, selection);
        QFETCH(QStringList, files);
        QFETCH(QString, message);
        const bool split = kind == IDC_EXPORT_CSV_SPLIT;
        const QByteArray book = Read(m_book);
        QTemporaryDir dir(m_dir.path() + "/export-XXXXXX");
        const auto path = [&dir](const QString& name) {
            return name.startsWith('/') ? name : dir.filePath(name);
        };
        OpenDialog d(m_book);
        testing_support::WriteFile(Bytes(path("out")), std::string(10000, 'x'));  // replaced
        for (const QString& name : files) {
            d.files.Answer(name.isEmpty() ? std::nullopt : std::optional(Bytes(path(name))));
        }
        for (const QString& index : selection.split(',', Qt::SkipEmptyParts)) {
            d.ClickItem(index.toInt(), true);
        }
        const bool none = !all && d.List().GetNextItem(-1, LVNI_SELECTED) == -1;
        const bool exportWasEnabled = d.ExportEnabled();
        std::vector<ModalScript::Step> steps{ClickControl(kind), ClickButton("OK")};
        ModalScript script(kind == IDCANCEL ? std::vector<ModalScript::Step>{} : steps);
        d.Click(all ? IDC_EXPORT_ALL : IDC_EXPORT);
        QCOMPARE(script.titles, message.isEmpty() ? QStringList{"Export Type?"}
                                                  : (QStringList{"Export Type?", "Quorvel"}));
        QVERIFY2(script.texts.last().contains(message), qPrintable(script.texts.last()));
        const char* dataFilter =
            kind == IDC_EXPORT_VCARD ? kVCardFileDialog.filter : kCsvFileDialog.filter;
        QCOMPARE(d.files.asked, (split ? QStringList{kHeaderFileDialog.filter, dataFilter}
                                       : QStringList{dataFilter})
                                    .mid(0, files.size()));
        // Export disables itself once done; Export All leaves it as it was.
        QCOMPARE(d.ExportEnabled(), exportWasEnabled && !(message == "Export Complete" && !all));
        QCOMPARE(Read(m_book), book);
        if (kind == IDCANCEL || files.value(0).startsWith('/')) {
            return;
        }
        // What quorvel-export writes for the same choice; nothing chosen gives
        // what the empty book gives.
        const QString cliHeader = dir.filePath("cli-header.csv");
        const QString cliData = dir.filePath("cli.out");
        const char* format = split ? "csv-split" : kind == IDC_EXPORT_CSV ? "csv" : "vcard";
        QStringList cli{"-f", format, "-o", cliData};
        if (split) {
            cli << "--header" << cliHeader;
        }
        if (!all && !none) {
            cli << "--select" << selection;
        }
        RunCliExport(cli << (none ? m_emptyBook : m_book));
        if (split && !files[0].isEmpty() && files[0] != files.value(1)) {
            QCOMPARE(Read(path(files[0])), Read(cliHeader));
        }
        if (!files.last().isEmpty()) {
            QCOMPARE(Read(path(files.last())), Read(cliData));
        }
    }

    // Contacts the library cannot open, or a listing that fails part-way.
    void incompleteBook_data() {
        QTest::addColumn<QList<int>>("unreadable");
        QTest::addColumn<int>("queryFailAt");       // the listing call that fails; -1: none
        QTest::addColumn<QStringList>("messages");  // "%1": the output file
        const QString missing =
            "Export finished, but %1 of 3 contacts could not be read and %2 "
            "missing from %3";
        QTest::newRow("one contact unreadable")
            << QList<int>{2} << -1 << QStringList{"", missing.arg("1", "is", "%1")};
        QTest::newRow("two contacts unreadable")
            << QList<int>{0, 2} << -1 << QStringList{"", missing.arg("2", "are", "%1")};
        QTest::newRow("listing fails part-way")
            << QList<int>{} << 2
            << QStringList{"The address book could be read only in part. Contacts listed: 2.", "",
                           "Export Complete"};
    }

    void incompleteBook() {
        QFETCH(QList<int>, unreadable);
        QFETCH(int, queryFailAt);
        QFETCH(QStringList, messages);
        void* library = dlopen(FAKE_WAB_PATH, RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(library != nullptr, dlerror());
        FakeWabState& book =
            *reinterpret_cast<FakeWabStateFunction>(dlsym(library, "GetFakeWabState"))();
        book = FakeWabState();
        for (const char* name : {"Cleo", "Anna", "Bert"}) {
            FakeEntry& entry = book.entries.emplace_back();
            entry.name = name;
            entry.id = {BYTE(name[0])};
            entry.failOpen = unreadable.contains(int(book.entries.size() - 1));
            entry.props = {{PR_DISPLAY_NAME_A, name}};
        }
        book.queryFailAt = queryFailAt;
        book.queryFailCode = MAPI_E_CORRUPT_DATA;
        qputenv("QUORVEL_WAB_DLLPATH", FAKE_WAB_PATH);
        const auto restore = qScopeGuard([library] {
            qunsetenv("QUORVEL_WAB_DLLPATH");
            dlclose(library);
        });
        const QString out = m_dir.path() + "/incomplete.vcf";
        QStringList texts;
        std::optional<OpenDialog> d;
        {
            ModalScript script({ClickButton("OK")});  // the listing's message, if any
            d.emplace("fake.wab");
            QTRY_COMPARE(script.texts.size(), queryFailAt >= 0 ? 1 : 0);
            texts = script.texts;
        }
        QCOMPARE(texts + d->ExportAllAsVCard(out), messages.replaceInStrings("%1", out));
    }

    void browse() {
        const QString bad = m_dir.path() + "/not-a-book.wab";
        testing_support::WriteFile(Bytes(bad), "this is not an address book\n");
        OpenDialog d(m_book);
        d.ClickItem(5);
        CAddressBookSession* const first = d.dialog.m_pSession;
        // Cancelled, then a file that is no book: the book and its list stay.
        d.files.Answer(std::nullopt);
        d.files.Answer(Bytes(bad));
        {
            ModalScript script({ClickButton("OK")});
            d.Click(IDC_BROWSE);
            QVERIFY(script.texts.empty());
            d.Click(IDC_BROWSE);
            QCOMPARE(script.texts.size(), 1);
            QVERIFY(script.texts[0].startsWith("The file \"" + bad +
                                               "\" could not be opened as an address book."));
        }
        QCOMPARE(d.files.asked[0], kAddressBookDialog.filter);
        QCOMPARE(d.dialog.m_pSession, first);
        QCOMPARE(ItemTexts(d.List()), kNames);
        // A book: the list is refilled, the last choice and Export stay, its contacts export.
        d.files.Answer(Bytes(m_otherBook));
        d.Click(IDC_BROWSE);
        QCOMPARE(ItemTexts(d.List()), kOtherNames);
        QCOMPARE(d.dialog.m_lastSelected, 5);
        QVERIFY(d.ExportEnabled());
        const QString out = m_dir.path() + "/browsed.vcf", cli = m_dir.path() + "/cli.vcf";
        d.ExportAllAsVCard(out);
        RunCliExport({"-f", "vcard", "-o", cli, m_otherBook});
        QCOMPARE(Read(out), Read(cli));
    }

    // About from its button and the system menu; Properties only for a chosen contact.
    void aboutAndProperties() {
        OpenDialog d(m_book);
        ModalScript script;  // Escape closes each
        d.Click(IDC_PROPERTIES);
        QTest::qWait(50);
        d.Click(IDC_ABOUT);
        d.dialog.OnSysCommand(IDM_ABOUTBOX, 0);
        d.ClickItem(6);
        d.Click(IDC_PROPERTIES);
        QCOMPARE(script.titles,
                 (QStringList{"About Quorvel", "About Quorvel", "Grace Gill Properties"}));
    }

    void desktopFileDialogs_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QByteArray>("chosen");  // "": Cancel; other than "chosen": a file there
        const QString book = "Windows Address Book (*.wab);;vCard files (*.vcf)";
        const QString vcard = "vCard files (vcf) (*.vcf)";
        const QByteArray chosen = "chosen";
        QTest::newRow("book, cancelled") << 0 << book << QByteArray();
        QTest::newRow("book") << 0 << book << chosen;
        QTest::newRow("header") << 1 << "Header (CSV) (*.csv)" << chosen;
        QTest::newRow("csv") << 2 << "Comma Separated Values (CSV) (*.csv)" << chosen;
        QTest::newRow("vCard") << 3 << vcard << chosen;
        QTest::newRow("Latin-1 book") << 0 << book << QByteArray("caf\xe9.wab");
        QTest::newRow("Latin-1 vCard file, replaced") << 3 << vcard << QByteArray("caf\xe9.vcf");
    }

    // Wildcard names filter the listing and never end the dialog; a name
    // without its extension gets it; a name that is not UTF-8 is given as its bytes.
    void desktopFileDialogs() {
        QFETCH(int, which);
        QFETCH(QString, filter);
        QFETCH(QByteArray, chosen);
        const FileDialogParams& params = *std::array{&kAddressBookDialog, &kHeaderFileDialog,
                                                     &kCsvFileDialog, &kVCardFileDialog}[which];
        const QString title = params.open ? "Open" : "Save As";
        const QByteArray suffix = QByteArray(params.defaultExtension).replace(".", "");
        QTemporaryDir folder(m_dir.path() + "/files-XXXXXX");
        const QByteArray folderBytes = QFile::encodeName(folder.path()) + "/";
        const QByteArray existing = chosen == "chosen" ? QByteArray() : chosen;
        if (!existing.isEmpty()) {
            testing_support::WriteFile((folderBytes + existing).toStdString(), "");
        }
        ModalScript script(
            {[&](QWidget* window) {
                 auto* dialog = qobject_cast<QFileDialog*>(window);
                 auto* name = window->findChild<QLineEdit*>("fileNameEdit");
                 QVERIFY(dialog != nullptr && name != nullptr);
                 QCOMPARE(dialog->defaultSuffix().toLatin1(), suffix);
                 QCOMPARE(dialog->nameFilters().join(";;"), filter);
                 QCOMPARE(dialog->acceptMode() == QFileDialog::AcceptOpen, params.open);
                 QCOMPARE(name->text(), QString(params.initialName));
                 if (chosen.isEmpty()) {
                     dialog->reject();
                     return;
                 }
                 dialog->setDirectory(folder.path());
                 QTest::keyClick(name, Qt::Key_Return);
                 name->setText("*.t?t");
                 QTest::keyClick(name, Qt::Key_Return);
                 QVERIFY(dialog->isVisible());
                 QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("*.t?t"));
                 name->setText(QFile::decodeName(chosen));  // as the listing shows it
                 // From the dialog's own loop, so that the question it may ask
                 // comes to the next step.
                 QTimer::singleShot(0, name, [name] { QTest::keyClick(name, Qt::Key_Return); });
             },
             ClickButton("Yes")});
        const std::optional<std::string> path = QtFileDialogs().Run(params);
        // Replacing a file is asked first.
        const bool replaces = !existing.isEmpty() && !params.open;
        QCOMPARE(script.titles, replaces ? (QStringList{title, title}) : QStringList{title});
        QCOMPARE(QByteArray::fromStdString(path.value_or("")),
                 chosen.isEmpty()
                     ? QByteArray()
                     : folderBytes + (existing.isEmpty() ? "chosen." + suffix : existing));
        if (!existing.isEmpty()) {
            std::filesystem::remove((folderBytes + existing).toStdString());  // not QTemporaryDir's
        }
    }
};

QTEST_MAIN(MainDialogTest)
#include "MainDialogTest.moc"
