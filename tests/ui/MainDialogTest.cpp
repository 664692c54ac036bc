// The main window through its widgets: start-up, selection, every export path (each file
// byte for byte as quorvel-export's), incomplete books, Browse with Qt's file dialogs.
#include "UiTestSupport.h"

#include "tests/addressbook/FakeWab.h"
#include "tests/support/TestSupport.h"
#include "ui/ContactListView.h"
#include "ui/ConverterApp.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>

#include <dlfcn.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>

using namespace testing_support;

static std::string Bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

static QByteArray Read(const QString& path) {
    return QByteArray::fromStdString(ReadFile(Bytes(path)));
}

class MainDialogTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_book;
    QString m_otherBook;  // the default book

  private slots:
    void initTestCase() {
        // Qt's file dialog keeps its settings here, not in the real home.
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
            qputenv(name, m_dir.path().toLocal8Bit());
        }
        qputenv("XDG_DATA_HOME", (m_dir.path() + "/data").toLocal8Bit());
        QVERIFY(QDir().mkpath(m_dir.path() + "/data/quorvel"));
        m_book = MakeBook(m_dir.path(), "book",
                          {"Ann", "Bob", "Cid", "Dan", "Eve", "Fay", "Gil", "Hal", "Ivy"});
        m_otherBook = MakeBook(m_dir.path() + "/data/quorvel", "default", {"Zoe", "Yan"});
    }

    void startUp_data() {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<QString>("first");  // listed first; "": no window, exit 1
        QTest::newRow("flags only: the default book") << QByteArrayList{"--x", "/y"} << "Yan";
        QTest::newRow("flags, then the first of two names")
            << QByteArrayList{"-flag", "/x", QFile::encodeName(m_book),
                              QFile::encodeName(m_otherBook)}
            << "Ann";
        QTest::newRow("missing book at the root") << QByteArrayList{"/quorvel-missing.wab"} << "";
        QTest::newRow("the root folder") << QByteArrayList{"/"} << "";
        QTest::newRow("Latin-1 name") << QByteArrayList{"caf\xe9.wab"} << "";
    }

    void startUp() {
        QFETCH(QByteArrayList, arguments);
        QFETCH(QString, first);
        std::vector<std::string> args{"20", QUORVEL_PROGRAM};
        std::ranges::transform(arguments, std::back_inserter(args), &QByteArray::toStdString);
        if (first.isEmpty()) {
            // The program itself, timed out in case a window comes up after all.
            const std::string data = Bytes(m_dir.path() + "/fresh");
            const auto r = RunProgram("/usr/bin/timeout", args, {"XDG_DATA_HOME=" + data});
            QVERIFY2(r.err.starts_with("quorvel: cannot open " + args[2] + " as an address book") &&
                         r.status == 1 && std::ranges::count(r.err, '\n') == 1,
                     r.err.c_str());
            QVERIFY(!std::filesystem::exists(data));  // no default book made
            return;
        }
        QString shown;
        ModalScript script({[&shown](QWidget* window) {
            const QAbstractItemModel& list =
                *qobject_cast<CMainDlg*>(window)->ContactList().model();
            shown = list.index(0, 0).data().toString();
            ClickControl(IDCANCEL)(window);  // Exit
        }});
        CConverterApp app;
        app.InitInstance({args.begin() + 2, args.end()});
        QCOMPARE(shown, first);
    }

    // A signal once the window waits (an orderly quit, whose destructors remove a folder of any
    // depth), at start-up, or a second one before the first is answered (it removes files and
    // empty folders at once): the program ends by one of them and leaves nothing in the
    // temporary folder, whatever was put in its scratch folder.
    void signalsLeaveNothing_data() {
        // Seconds after the scratch folder appeared, signals sent at once, a file made in it.
        QTest::addColumn<QStringList>("args");
        QTest::newRow("TERM once the window is up")
            << QStringList{"2", "TERM", "sub/QtProject.conf"};
        QTest::newRow("HUP at start-up") << QStringList{"0", "HUP", "QtProject.conf"};
        QTest::newRow("INT while quitting on HUP") << QStringList{"1", "HUP INT", "QtProject.conf"};
    }

    void signalsLeaveNothing() {
        QFETCH(QStringList, args);
        const QTemporaryDir temp(m_dir.path() + "/tmp-XXXXXX");
        const char* script = R"(env --default-signal "$0" "$1" & p=$!
            until d=$(ls -d "$TMPDIR"/Quorvel-* 2>/dev/null); do sleep 0.01; done
            mkdir "$d/sub"; touch "$d/$4"; sleep "$2"
            for s in $3; do kill -$s $p; done; wait $p; kill -l $?; ls -A "$TMPDIR")";
        std::vector<std::string> sh{"60", "/bin/sh", "-c", script, QUORVEL_PROGRAM, Bytes(m_book)};
        std::ranges::transform(args, std::back_inserter(sh), &QString::toStdString);
        const ProgramResult r =
            RunProgram("/usr/bin/timeout", sh, {"TMPDIR=" + Bytes(temp.path())});
        const QString ended = QString::fromStdString(r.out);
        QVERIFY2(ended.endsWith('\n') && args[1].split(' ').contains(ended.chopped(1)),
                 r.out.c_str());
    }

    void exportEnabledThroughSelections() {
        OpenDialog d(m_book);
        ContactListView& list = d.ContactList();
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d) && !d.ExportEnabled());
        d.ClickItem(3);
        // The selection is drawn only while the list has the focus, and kept.
        const auto highlighted = [&list] {
            const QRect item = list.visualRect(list.model()->index(3, 0));
            return list.viewport()->grab().toImage().pixel(item.left() + 1, item.center().y()) !=
                   list.palette().color(QPalette::Base).rgb();
        };
        QVERIFY(highlighted());
        QTest::keyClick(&list, Qt::Key_Tab);
        QVERIFY(!list.hasFocus() && !highlighted() && list.GetNextItem(-1, LVNI_SELECTED) == 3);
        d.ClickItem(3, true);  // deselected: Export stays enabled
        QVERIFY(list.GetNextItem(-1, LVNI_SELECTED) == -1 && d.ExportEnabled());
        // Export disables it; only an item after the last one chosen enables it again.
        d.ClickItem(7);
        d.files.Answer(Bytes(m_dir.path() + "/sel.vcf"));
        ModalScript script({ClickControl(IDC_EXPORT_VCARD)});
        d.Click(IDC_EXPORT);
        d.ClickItem(2);
        QVERIFY(!d.ExportEnabled());
        d.ClickItem(8);
        QVERIFY(d.ExportEnabled());
    }

    void exportPaths_data() {
        QTest::addColumn<int>("kind");  // IDCANCEL: Escape in the type dialog
        QTest::addColumn<bool>("all");
        QTest::addColumn<QString>("selection");  // items Ctrl+clicked
        QTest::addColumn<QStringList>("files");  // the dialogs' answers; "": Cancel; "out" exists
        QTest::addColumn<QString>("message");    // of the box after the run; "": none
        const QString done = "Export Complete";
        for (const auto& [name, kind] : {std::pair{"vCard", IDC_EXPORT_VCARD},
                                         {"CSV", IDC_EXPORT_CSV},
                                         {"split", IDC_EXPORT_CSV_SPLIT}}) {
            const QStringList files =
                QStringList{"header.csv", "out"}.mid(kind == IDC_EXPORT_CSV_SPLIT ? 0 : 1);
            QTest::addRow("%s, selected", name) << kind << false << "0,4,8" << files << done;
            QTest::addRow("%s, all", name) << kind << true << "2" << files << done;
            QTest::addRow("%s, chosen, then none", name) << kind << false << "4,4" << files << done;
            QTest::addRow("%s, cancelled", name) << kind << false << "2" << QStringList{""} << "";
        }
        QTest::newRow("split, one file for both")
            << IDC_EXPORT_CSV_SPLIT << true << "" << QStringList{"s.csv", "s.csv"} << done;
        QTest::newRow("split data file cancelled: the header file stays")
            << IDC_EXPORT_CSV_SPLIT << false << "2" << QStringList{"header.csv", ""} << "";
        QTest::newRow("Escape in the type dialog")
            << IDCANCEL << false << "2" << QStringList{} << "";
        QTest::newRow("the open book refused")
            << IDC_EXPORT_VCARD << false << "1" << QStringList{m_book}
            << "is the address book being read";
        QTest::newRow("a file-size limit: the file replaced keeps its bytes")
            << IDC_EXPORT_VCARD << true << "" << QStringList{"out"}
            << "/out\" could not be written.\n" + QString::fromLocal8Bit(strerror(EFBIG));
    }

    void exportPaths() {
        QFETCH(int, kind);
        QFETCH(bool, all);
        QFETCH(QString, selection);
        QFETCH(QStringList, files);
        QFETCH(QString, message);
        const bool split = kind == IDC_EXPORT_CSV_SPLIT;
        const QByteArray book = Read(m_book);
        const QTemporaryDir temp(m_dir.path() + "/export-XXXXXX");
        const QDir dir(temp.path());  // an absolute name stays as it is
        OpenDialog d(m_book);
        WriteFile(Bytes(dir.filePath("out")), std::string(9999, 'x'));
        for (const QString& file : files) {
            d.files.Answer(file.isEmpty() ? std::nullopt
                                          : std::optional(Bytes(dir.filePath(file))));
        }
        for (const QString& index : selection.split(',', Qt::SkipEmptyParts)) {
            d.ClickItem(index.toInt(), true);
        }
        const bool none = !all && d.ContactList().GetNextItem(-1, LVNI_SELECTED) == -1;
        ModalScript script({kind == IDCANCEL ? nullptr : ClickControl(kind)});
        // In the row that says so, writes past 100 bytes fail as on a full disk.
        rlimit saved{}, limit{};
        getrlimit(RLIMIT_FSIZE, &saved);
        limit = {message.contains(strerror(EFBIG)) ? 100 : saved.rlim_cur, saved.rlim_max};
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        d.Click(all ? IDC_EXPORT_ALL : IDC_EXPORT);
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(script.texts.size(), message.isEmpty() ? 1 : 2);  // "Export Type?", the box
        QVERIFY2(script.texts.last().contains(message), qPrintable(script.texts.last()));
        // A click enables Export; it disables itself once done, Export All leaves it.
        QCOMPARE(d.ExportEnabled(),
                 !selection.isEmpty() && !(message == "Export Complete" && !all));
        QCOMPARE(Read(m_book), book);
        if (message != "Export Complete") {
            QCOMPARE(Read(dir.filePath("out")), QByteArray(9999, 'x'));
            return;
        }
        if (none) {
            return;  // the command line chooses no contact by name and writes nothing
        }
        // quorvel-export on the same choice.
        const char* format = split ? "csv-split" : kind == IDC_EXPORT_CSV ? "csv" : "vcard";
        std::vector<std::string> cli{"-qf", format, "-o", Bytes(dir.filePath("cli")),
                                     Bytes(m_book)};
        if (split) {
            cli.insert(cli.begin(), {"--header", Bytes(dir.filePath("cli.h"))});
        }
        if (!all) {
            cli.insert(cli.begin(), {"-s", selection.toStdString()});
        }
        const ProgramResult r = RunProgram(QUORVEL_EXPORT_TOOL, cli);
        QVERIFY2(r.status == 0, r.err.c_str());
        if (split && files[0] != files[1]) {
            QCOMPARE(Read(dir.filePath(files[0])), Read(dir.filePath("cli.h")));
        }
        QCOMPARE(Read(dir.filePath(files.last())), Read(dir.filePath("cli")));
    }

    // Contacts the library cannot open, or a listing whose second call fails: the messages of
    // the load, of Properties on the first item and of Export All's run (up to 5 named, in the
    // list's order).
    void incompleteBook() {
        const QString out = m_dir.path() + "/incomplete.vcf";
        const QString props =
            "The properties of \"Anna\" cannot be shown: the contact could not be read.";
        const QString missing =
            "Export finished, but %1 of 7 contacts could not be read and are missing from " + out;
        FakeWabState& book = *reinterpret_cast<FakeWabStateFunction>(
            dlsym(dlopen(FAKE_WAB_PATH, RTLD_NOW | RTLD_LOCAL), "GetFakeWabState"))();
        for (const auto& [failOpen, queryFailAt, messages] :
             {std::tuple{QList<int>{1, 2}, -1,
                         QStringList{props, "", missing.arg(2) + ":\nAnna\nBert"}},
              {QList<int>{1, 2, 3, 4, 5}, -1,
               QStringList{props, "",
                           missing.arg(5) + ":\nAnna\nBert\nDora\nEmil " + QString(74, 'x') +
                               QChar(0x2026) + "\nFinn"}},
              {QList<int>{0, 1, 2, 3, 4, 5}, -1, QStringList{props, "", missing.arg(6)}},
              {QList<int>{}, 2,
               QStringList{"The address book could be read only in part. Contacts listed: 2.", "",
                           "Export Complete"}}}) {
            book = FakeWabState();
            // Names in messages: on one line, cut at 80 characters.
            for (const std::string& name : std::initializer_list<std::string>{
                     "Cleo", "Anna", "Bert", "Dora", "Emil\n" + std::string(90, 'x'), "Finn",
                     "Gus"}) {
                book.entries.push_back({.name = name,
                                        .id = {BYTE(name[0])},
                                        .failOpen = failOpen.contains(int(book.entries.size())),
                                        .props = {{PR_DISPLAY_NAME_A, name}}});
            }
            book.queryFailAt = queryFailAt;
            // Message boxes get Escape from these steps.
            ModalScript script(std::vector(3, ClickControl(IDC_EXPORT_VCARD)));
            qputenv("QUORVEL_WAB_DLLPATH", FAKE_WAB_PATH);  // read only while the book opens
            OpenDialog d("fake.wab");
            qunsetenv("QUORVEL_WAB_DLLPATH");
            QTRY_COMPARE(script.texts.size(), queryFailAt >= 0 ? 1 : 0);
            d.ClickItem(0);
            d.Click(IDC_PROPERTIES);
            d.files.Answer(Bytes(out));
            d.Click(IDC_EXPORT_ALL);
            QCOMPARE(script.texts, messages);
        }
    }

    // Properties; Browse and Export All through Qt's file dialogs: wildcards filter and never
    // end a dialog, a name gets its extension, files whose names are not UTF-8 are listed under
    // the dialog's filter and chosen as the system's bytes.
    void browse() {
        QTemporaryDir dir(m_dir.path() + "/browse-XXXXXX");
        const std::string folder = Bytes(dir.path()) + "/";
        WriteFile(folder + "bad.wab", "this is not an address book\n");
        std::filesystem::copy_file(Bytes(m_otherBook), folder + "caf\xe9.wab");
        WriteFile(folder + "caf\xe9.vcf", "replaced");
        WriteFile(folder + "caf\xe9.txt", "");
        std::filesystem::create_directory(folder + "\xff.wab");
        // Of each file dialog: the names not UTF-8, then its filters and those names once a
        // wildcard was entered.
        QStringList seen;
        const auto choose = [&](const char* name) -> ModalScript::Step {
            return [&, name](QWidget* window) {
                auto* dialog = qobject_cast<QFileDialog*>(window);
                auto* edit = window->findChild<QLineEdit*>("fileNameEdit");
                auto* other = window->findChild<QListWidget*>("otherNames");
                const auto listed = [other] {
                    QStringList names;
                    for (int i = 0; i < other->count() && other->isVisibleTo(other->window());
                         ++i) {
                        names << other->item(i)->text();
                    }
                    return names.join(',');
                };
                dialog->setDirectory(dir.path());
                seen << listed();
                edit->setText("*.t?t");
                QTest::keyClick(edit, Qt::Key_Return);
                seen << dialog->nameFilters().join(";;") + " " + dialog->selectedNameFilter() +
                            " " + listed();
                // Back to the first filter: a listed name is clicked, another typed.
                dialog->selectNameFilter(dialog->nameFilters().first());
                const auto found = other->findItems(QFile::decodeName(name), Qt::MatchStartsWith);
                found.isEmpty() ? edit->setText(name)
                                : QTest::mouseClick(other->viewport(), Qt::LeftButton, {},
                                                    other->visualItemRect(found[0]).center());
                // From the dialog's own loop, so that a question it asks comes to the next step.
                QTimer::singleShot(0, edit, [edit] { QTest::keyClick(edit, Qt::Key_Return); });
            };
        };
        const auto yes = [](QWidget* box) { QTest::keyClick(box, Qt::Key_Y); };
        ModalScript script({nullptr, nullptr, choose("bad"), nullptr, choose("caf\xe9"),
                            ClickControl(IDC_EXPORT_VCARD), choose("caf\xe9"), yes});
        OpenDialog d(m_book, true);
        d.ClickItem(5);
        d.Click(IDC_PROPERTIES);
        // Cancelled, then a file that is no book: the book and its list stay.
        d.Click(IDC_BROWSE);
        d.Click(IDC_BROWSE);
        QCOMPARE(d.ContactList().GetItemCount(), 9);
        // A book: the list is refilled, the last choice and Export stay, its contacts export.
        d.Click(IDC_BROWSE);
        QVERIFY(d.m_lastSelected == 5 && d.ExportEnabled());
        d.Click(IDC_EXPORT_ALL);
        QCOMPARE(script.titles, (QStringList{"Fay Properties", "Open", "Open", "Quorvel", "Open",
                                             "Export Type?", "Save As", "Save As", "Quorvel"}));
        QVERIFY(script.texts[3].startsWith("The file \"" + QString::fromStdString(folder) +
                                           "bad.wab\" could not be opened as an address book."));
        const QString book =
            u"Windows Address Book (*.wab);;vCard files (*.vcf);;*.t?t *.t?t caf\uFFFD.txt"_qs;
        QCOMPARE(seen, (QStringList{u"caf\uFFFD.wab"_qs, book, u"caf\uFFFD.wab"_qs, book,
                                    u"caf\uFFFD.vcf"_qs,
                                    u"vCard files (vcf) (*.vcf);;*.t?t *.t?t caf\uFFFD.txt"_qs}));
        // The browsed book's contacts replaced the file.
        QVERIFY(ReadFile(folder + "caf\xe9.vcf").find("FN:Zoe") != std::string::npos);
        std::filesystem::remove_all(folder);  // Qt does not see these names
    }
};

QTEST_MAIN(MainDialogTest)
#include "MainDialogTest.moc"
