// The main window driven through its widgets: start-up, selection, Browse and
// every export path, each export compared byte for byte with quorvel-export's.
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
#include <QListView>
#include <QPushButton>
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

const std::vector<TestContact> kContacts = {
    {"Alice Archer", "alice@example.org"}, {"Bob Baker", "bob@example.org"},
    {"Carol Cooper", "carol@example.org"}, {"Dave Dyer", "dave@example.org"},
    {"Erin Evans", "erin@example.org"},    {"Frank Fisher", "frank@example.org"},
    {"Grace Gill", "grace@example.org"},   {"Heidi Hart", "heidi@example.org"},
    {"Ivan Ives", "ivan@example.org"},
};
const QStringList kOtherNames{"Yann Young", "Zoe Zimmer"};

std::string Bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QByteArray Read(const QString& path) {
    return QByteArray::fromStdString(testing_support::ReadFile(Bytes(path)));
}

// quorvel-export -q with the arguments; true when it exits 0.
bool RunCliExport(const QStringList& arguments) {
    std::vector<std::string> args{"-q"};
    for (const QString& argument : arguments) {
        args.push_back(Bytes(argument));
    }
    const testing_support::ProgramResult r = RunProgram(QUORVEL_EXPORT_TOOL, args);
    std::fputs(r.err.c_str(), stderr);
    return r.status == 0;
}

QStringList ItemTexts(const ContactListView& list) {
    QStringList texts;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        texts << list.model()->index(i, 0).data().toString();
    }
    return texts;
}

QStringList Names(const std::vector<TestContact>& contacts) {
    QStringList names;
    for (const TestContact& c : contacts) {
        names << QString::fromStdString(c.displayName);
    }
    return names;
}

// The names a file dialog's listing offers.
QStringList ListedNames(const QListView* view) {
    QStringList names;
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(root); ++row) {
        const QModelIndex item = view->model()->index(row, 0, root);
        if (view->model()->flags(item).testFlag(Qt::ItemIsEnabled)) {
            names << item.data().toString();
        }
    }
    names.sort();
    return names;
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
    QWidget* Button(int id) { return dialog.GetDlgItem(id); }
    bool ExportEnabled() { return Button(IDC_EXPORT)->isEnabled(); }
    // A person's click on an item, with Ctrl to add it to the selection or take it out.
    void ClickItem(int index, bool add = false) {
        const QRect rect = List().visualRect(List().model()->index(index, 0));
        QTest::mouseClick(List().viewport(), Qt::LeftButton,
                          add ? Qt::ControlModifier : Qt::NoModifier, rect.center());
    }
    void DeselectAll() {
        for (int i = List().GetNextItem(-1, LVNI_SELECTED); i != -1;
             i = List().GetNextItem(-1, LVNI_SELECTED)) {
            ClickItem(i, true);
        }
    }
    // Export All as vCard into `out`, answering "Export Complete".
    void ExportAllAsVCard(const QString& out) {
        files.Answer(Bytes(out));
        ModalScript script({ClickControl(IDC_EXPORT_VCARD), ClickButton("OK")});
        QTest::mouseClick(Button(IDC_EXPORT_ALL), Qt::LeftButton);
    }

    ScriptedFileDialogs files;
    CMainDlg dialog;
};

}  // namespace

class MainDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void startUp_data();
    void startUp();
    void exportEnabledThroughSelections();
    void exportKinds_data();
    void exportKinds();
    void cancelPaths_data();
    void cancelPaths();
    void exportFailures_data();
    void exportFailures();
    void incompleteBook_data();
    void incompleteBook();
    void browse();
    void aboutAndProperties();
    void desktopFileDialogs_data();
    void desktopFileDialogs();

  private:
    QTemporaryDir m_dir;
    QString m_book;
    QString m_otherBook;
    QString m_emptyBook;
};

void MainDialogTest::initTestCase() {
    QVERIFY(m_dir.isValid());
    qputenv("XDG_DATA_HOME", (m_dir.path() + "/data").toLocal8Bit());
    // Qt's file dialog keeps its settings here, not in the real home.
    qputenv("XDG_CONFIG_HOME", (m_dir.path() + "/config").toLocal8Bit());
    m_book = MakeBook(m_dir.path(), "book", kContacts);
    m_otherBook =
        MakeBook(m_dir.path(), "other", {{"Zoe Zimmer", "zoe@example.org"}, {"Yann Young", ""}});
    m_emptyBook = MakeBook(m_dir.path(), "empty", {});
    QVERIFY(!m_book.isEmpty() && !m_otherBook.isEmpty() && !m_emptyBook.isEmpty());
    // The other book is the default book too.
    QVERIFY(QDir().mkpath(m_dir.path() + "/data/quorvel"));
    QVERIFY(QFile::copy(m_otherBook, m_dir.path() + "/data/quorvel/default.wab"));
}

void MainDialogTest::startUp_data() {
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<QStringList>("listed");  // none: no window, one line on standard error
    const QByteArray book = QFile::encodeName(m_book);
    QTest::newRow("no argument: the default book") << QByteArrayList{} << kOtherNames;
    QTest::newRow("flags only: the default book") << QByteArrayList{"--x", "/y"} << kOtherNames;
    QTest::newRow("a flag, then a name") << QByteArrayList{"-flag", book} << Names(kContacts);
    QTest::newRow("slash flag, then a path") << QByteArrayList{"/x", book} << Names(kContacts);
    QTest::newRow("two names: the first")
        << QByteArrayList{QFile::encodeName(m_otherBook), book} << kOtherNames;
    QTest::newRow("missing book") << QByteArrayList{book + ".missing"} << QStringList{};
    QTest::newRow("missing book at the root")
        << QByteArrayList{"/quorvel-missing.wab"} << QStringList{};
    QTest::newRow("the root folder") << QByteArrayList{"/"} << QStringList{};
    QTest::newRow("Latin-1 name") << QByteArrayList{"caf\xe9.wab"} << QStringList{};
}

void MainDialogTest::startUp() {
    QFETCH(QByteArrayList, arguments);
    QFETCH(QStringList, listed);
    std::vector<std::string> args;
    for (const QByteArray& argument : arguments) {
        args.push_back(argument.toStdString());
    }
    if (listed.isEmpty()) {
        // The program itself, timed out in case a window comes up after all.
        const std::string data = Bytes(m_dir.path() + "/fresh");
        args.insert(args.begin(), {"20", QUORVEL_PROGRAM});
        const testing_support::ProgramResult r =
            RunProgram("/usr/bin/timeout", args,
                       {"XDG_DATA_HOME=" + data, "HOME=" + Bytes(m_dir.path()),
                        "XDG_RUNTIME_DIR=" + Bytes(m_dir.path())});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.starts_with("quorvel: cannot open " + args[2] + " as an address book") &&
                     std::count(r.err.begin(), r.err.end(), '\n') == 1,
                 r.err.c_str());
        QVERIFY(!std::filesystem::exists(data));  // no default book made
        return;
    }
    QStringList seenItems;
    bool exportEnabled = true;
    ModalScript script({[&](QWidget* window) {
        auto* dialog = qobject_cast<CMainDlg*>(window);
        QVERIFY(dialog != nullptr);
        seenItems = ItemTexts(dialog->ContactList());
        exportEnabled = dialog->GetDlgItem(IDC_EXPORT)->isEnabled();
        QTest::mouseClick(dialog->GetDlgItem(IDCANCEL), Qt::LeftButton);  // Exit
    }});
    CConverterApp app;
    QCOMPARE(app.InitInstance(args), FALSE);
    QCOMPARE(script.Titles(), QStringList{"Quorvel"});
    QCOMPARE(seenItems, listed);
    QVERIFY(!exportEnabled);  // nothing chosen yet
    QCOMPARE(app.ExitCode(), 0);
}

void MainDialogTest::exportEnabledThroughSelections() {
    OpenDialog d(m_book);
    d.dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d.dialog));
    d.ClickItem(3);
    QVERIFY(d.ExportEnabled());
    // The selection is drawn only while the list has the focus, and kept.
    const auto highlighted = [&d] {
        const QImage shown = d.List().viewport()->grab().toImage();
        const QRect item = d.List().visualRect(d.List().model()->index(3, 0));
        return shown.pixel(item.left() + 1, item.center().y()) !=
               d.List().palette().color(QPalette::Base).rgb();
    };
    QVERIFY(highlighted());
    QTest::keyClick(&d.List(), Qt::Key_Tab);
    QVERIFY(!d.List().hasFocus() && !highlighted());
    QCOMPARE(d.List().GetNextItem(-1, LVNI_SELECTED), 3);
    QTest::keyClick(d.dialog.focusWidget(), Qt::Key_Backtab);
    QVERIFY(highlighted());
    d.ClickItem(7, true);
    d.DeselectAll();
    QVERIFY(d.ExportEnabled());  // deselecting leaves Export enabled

    // Export disables it; only an item after the last one chosen (7) enables it again.
    d.ClickItem(7);
    d.files.Answer(Bytes(m_dir.path() + "/sel.vcf"));
    {
        ModalScript script({ClickControl(IDC_EXPORT_VCARD), ClickButton("OK")});
        QTest::mouseClick(d.Button(IDC_EXPORT), Qt::LeftButton);
        QCOMPARE(script.Titles(), (QStringList{"Export Type?", "Quorvel"}));
    }
    for (int index : {7, 2}) {
        d.ClickItem(index);
        QVERIFY(!d.ExportEnabled());
    }
    d.ClickItem(8);
    QVERIFY(d.ExportEnabled());
}

void MainDialogTest::exportKinds_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("all");
    QTest::addColumn<QList<int>>("selection");  // none without all: one chosen, then deselected
    QTest::addColumn<bool>("emptyBook");
    QTest::addColumn<bool>("oneFile");  // the split kind's header and data file at one path
    for (const auto& [name, kind] : {std::pair{"vCard", IDC_EXPORT_VCARD},
                                     {"CSV", IDC_EXPORT_CSV},
                                     {"split", IDC_EXPORT_CSV_SPLIT}}) {
        QTest::addRow("%s, selected", name)
            << kind << false << QList<int>{0, 4, 8} << false << false;
        QTest::addRow("%s, all", name) << kind << true << QList<int>{2} << false << false;
        QTest::addRow("%s, nothing selected", name)
            << kind << false << QList<int>{} << false << false;
        QTest::addRow("%s, all of an empty book", name)
            << kind << true << QList<int>{} << true << false;
    }
    QTest::newRow("split, one file for both")
        << IDC_EXPORT_CSV_SPLIT << true << QList<int>{} << false << true;
}

void MainDialogTest::exportKinds() {
    QFETCH(int, kind);
    QFETCH(bool, all);
    QFETCH(QList<int>, selection);
    QFETCH(bool, emptyBook);
    QFETCH(bool, oneFile);
    const bool split = kind == IDC_EXPORT_CSV_SPLIT;
    const bool none = !all && selection.isEmpty();
    QTemporaryDir dir(m_dir.path() + "/export-XXXXXX");
    const QString header = dir.filePath("header.csv");
    const QString data = oneFile ? header : dir.filePath("out");
    testing_support::WriteFile(Bytes(data), std::string(100000, 'x'));  // replaced whole

    OpenDialog d(emptyBook ? m_emptyBook : m_book);
    for (int index : selection) {
        d.ClickItem(index, true);
    }
    if (none) {
        d.ClickItem(4);
        d.DeselectAll();
    }
    const bool exportWasEnabled = d.ExportEnabled();
    if (split) {
        d.files.Answer(Bytes(header));
    }
    d.files.Answer(Bytes(data));
    ModalScript script({ClickControl(kind), ClickButton("OK")});
    QTest::mouseClick(d.Button(all ? IDC_EXPORT_ALL : IDC_EXPORT), Qt::LeftButton);
    QCOMPARE(script.Titles(), (QStringList{"Export Type?", "Quorvel"}));
    QCOMPARE(script.Seen()[1].text, QStringLiteral("Export Complete"));
    QStringList asked;
    for (const FileDialogParams& params : d.files.asked) {
        asked << params.filter;
    }
    const char* dataFilter =
        kind == IDC_EXPORT_VCARD ? kVCardFileDialog.filter : kCsvFileDialog.filter;
    QCOMPARE(asked,
             split ? (QStringList{kHeaderFileDialog.filter, dataFilter}) : QStringList{dataFilter});
    // Export disables itself; Export All leaves it as it was.
    QCOMPARE(d.ExportEnabled(), all && exportWasEnabled);

    // The same bytes as quorvel-export writes for the same choice; nothing
    // chosen writes what the empty book gives.
    const QString cliHeader = dir.filePath("cli-header.csv");
    const QString cliData = dir.filePath("cli.out");
    QStringList cli{"-f",
                    split                    ? "csv-split"
                    : kind == IDC_EXPORT_CSV ? "csv"
                                             : "vcard",
                    "-o", cliData};
    if (split) {
        cli << "--header" << cliHeader;
    }
    if (!all && !none) {
        QStringList positions;
        for (int index : selection) {
            positions << QString::number(index);
        }
        cli << "--select" << positions.join(',');
    }
    QVERIFY(RunCliExport(cli << (emptyBook || none ? m_emptyBook : m_book)));
    QCOMPARE(Read(data), Read(cliData));
    if (split && !oneFile) {
        QCOMPARE(Read(header), Read(cliHeader));
    }
}

void MainDialogTest::cancelPaths_data() {
    QTest::addColumn<int>("kind");      // IDCANCEL: Escape in the type dialog
    QTest::addColumn<int>("answered");  // file dialogs answered before a Cancel
    QTest::newRow("Escape in the type dialog") << IDCANCEL << 0;
    QTest::newRow("vCard file cancelled") << IDC_EXPORT_VCARD << 0;
    QTest::newRow("CSV file cancelled") << IDC_EXPORT_CSV << 0;
    QTest::newRow("header file cancelled") << IDC_EXPORT_CSV_SPLIT << 0;
    QTest::newRow("split data file cancelled") << IDC_EXPORT_CSV_SPLIT << 1;
}

void MainDialogTest::cancelPaths() {
    QFETCH(int, kind);
    QFETCH(int, answered);
    const QString header = m_dir.path() + "/cancel-" + QString::number(kind) + ".csv";
    OpenDialog d(m_book);
    d.ClickItem(2);
    if (answered > 0) {
        d.files.Answer(Bytes(header));
    }
    std::vector<ModalScript::Step> steps;  // none: Escape
    if (kind != IDCANCEL) {
        steps.push_back(ClickControl(kind));
    }
    ModalScript script(steps);
    QTest::mouseClick(d.Button(IDC_EXPORT), Qt::LeftButton);
    QCOMPARE(script.Titles(), QStringList{"Export Type?"});  // no "Export Complete"
    QCOMPARE(static_cast<int>(d.files.asked.size()), kind == IDCANCEL ? 0 : answered + 1);
    // A header file chosen is written whole before the data file is asked for.
    QCOMPARE(QFile::exists(header), answered > 0);
    if (answered > 0) {
        QVERIFY(Read(header).startsWith("Name,Birthday,") && Read(header).count('\n') == 1);
    }
    QVERIFY(d.ExportEnabled());  // an unfinished export leaves Export enabled
}

// Output refused or failing: a message box names the file and the reason,
// the book keeps its bytes and Export stays enabled.
void MainDialogTest::exportFailures_data() {
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("reason");
    QTest::newRow("the open book") << m_book << "is the address book being read";
    QTest::newRow("a full disk") << "/dev/full" << QString::fromLocal8Bit(strerror(ENOSPC));
}

void MainDialogTest::exportFailures() {
    QFETCH(QString, output);
    QFETCH(QString, reason);
    const QByteArray book = Read(m_book);
    OpenDialog d(m_book);
    d.ClickItem(1);
    d.files.Answer(Bytes(output));
    ModalScript script({ClickControl(IDC_EXPORT_VCARD), ClickButton("OK")});
    QTest::mouseClick(d.Button(IDC_EXPORT), Qt::LeftButton);
    QCOMPARE(script.Titles(), (QStringList{"Export Type?", "Quorvel"}));
    const QString message = script.Seen()[1].text;
    QVERIFY2(message.contains('"' + output + '"') && message.contains(reason), qPrintable(message));
    QCOMPARE(Read(m_book), book);
    QVERIFY(d.ExportEnabled());
}

void MainDialogTest::incompleteBook_data() {
    QTest::addColumn<QList<int>>("unreadable");  // entries that cannot be opened
    QTest::addColumn<int>("queryFailAt");        // the listing call that fails; -1: none
    QTest::addColumn<QStringList>("messages");   // "%1": the output file
    QTest::newRow("one contact unreadable")
        << QList<int>{2} << -1
        << QStringList{"",
                       "Export finished, but 1 of 3 contacts could not be read and is "
                       "missing from %1"};
    QTest::newRow("two contacts unreadable")
        << QList<int>{0, 2} << -1
        << QStringList{"",
                       "Export finished, but 2 of 3 contacts could not be read and are "
                       "missing from %1"};
    QTest::newRow("listing fails part-way")
        << QList<int>{} << 2
        << QStringList{"The address book could be read only in part. Contacts listed: 2.", "",
                       "Export Complete"};
}

void MainDialogTest::incompleteBook() {
    QFETCH(QList<int>, unreadable);
    QFETCH(int, queryFailAt);
    QFETCH(QStringList, messages);
    void* library = dlopen(FAKE_WAB_PATH, RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(library != nullptr, dlerror());
    auto state = reinterpret_cast<FakeWabStateFunction>(dlsym(library, "GetFakeWabState"));
    QVERIFY(state != nullptr);
    FakeWabState& book = *state();
    book = FakeWabState();
    for (const char* name : {"Cleo", "Anna", "Bert"}) {
        FakeEntry entry;
        entry.name = name;
        entry.id = {static_cast<BYTE>(name[0]), 0x11};
        entry.props = {{PR_DISPLAY_NAME_A, name}};
        book.entries.push_back(entry);
    }
    for (int index : unreadable) {
        book.entries[static_cast<std::size_t>(index)].failOpen = true;
    }
    book.queryFailAt = queryFailAt;
    book.queryFailCode = MAPI_E_CORRUPT_DATA;
    qputenv("QUORVEL_WAB_DLLPATH", FAKE_WAB_PATH);
    const QString out = m_dir.path() + "/incomplete.vcf";
    {
        std::vector<ModalScript::Step> steps{ClickControl(IDC_EXPORT_VCARD), ClickButton("OK")};
        if (queryFailAt >= 0) {
            steps.insert(steps.begin(), ClickButton("OK"));
        }
        ModalScript script(steps);
        OpenDialog d("fake.wab");
        QTRY_COMPARE(script.Seen().size(), std::size_t{queryFailAt >= 0 ? 1u : 0u});
        d.ExportAllAsVCard(out);
        QStringList texts;
        for (const SeenWindow& seen : script.Seen()) {
            texts << seen.text;
        }
        QCOMPARE(texts, messages.replaceInStrings("%1", out));
    }
    qunsetenv("QUORVEL_WAB_DLLPATH");
    dlclose(library);
}

void MainDialogTest::browse() {
    const QString bad = m_dir.path() + "/not-a-book.wab";
    testing_support::WriteFile(Bytes(bad), "this is not an address book\n");
    OpenDialog d(m_book);
    d.ClickItem(5);
    CAddressBookSession* const first = d.dialog.m_pSession;
    // Cancelled, then a file that is no book: the book, its list and the last choice stay.
    d.files.Answer(std::nullopt);
    d.files.Answer(Bytes(bad));
    {
        ModalScript script({ClickButton("OK")});
        QTest::mouseClick(d.Button(IDC_BROWSE), Qt::LeftButton);
        QVERIFY(script.Seen().empty());
        QTest::mouseClick(d.Button(IDC_BROWSE), Qt::LeftButton);
        QCOMPARE(script.Seen().size(), std::size_t{1});
        QVERIFY(script.Seen()[0].text.contains(bad + "\" could not be opened as an address book"));
    }
    QCOMPARE(d.files.asked.size(), std::size_t{2});
    QCOMPARE(d.files.asked[0].filter, kAddressBookDialog.filter);
    QCOMPARE(d.dialog.m_pSession, first);
    QCOMPARE(ItemTexts(d.List()), Names(kContacts));
    const QString out = m_dir.path() + "/browsed.vcf";
    const QString cli = m_dir.path() + "/browsed.cli.vcf";
    d.ExportAllAsVCard(out);  // the first book still serves
    QVERIFY(RunCliExport({"-f", "vcard", "-o", cli, m_book}));
    QCOMPARE(Read(out), Read(cli));

    // A book: the list is refilled, the last choice and Export stay, its contacts export.
    d.files.Answer(Bytes(m_otherBook));
    QTest::mouseClick(d.Button(IDC_BROWSE), Qt::LeftButton);
    QCOMPARE(ItemTexts(d.List()), kOtherNames);
    QCOMPARE(d.dialog.m_lastSelected, 5);
    QVERIFY(d.ExportEnabled());
    d.ExportAllAsVCard(out);
    QVERIFY(RunCliExport({"-f", "vcard", "-o", cli, m_otherBook}));
    QCOMPARE(Read(out), Read(cli));
}

// About from its button and the system menu; Properties only for a chosen contact.
void MainDialogTest::aboutAndProperties() {
    OpenDialog d(m_book);
    ModalScript script;  // Escape closes each
    QTest::mouseClick(d.Button(IDC_PROPERTIES), Qt::LeftButton);
    QTest::qWait(50);
    QTest::mouseClick(d.Button(IDC_ABOUT), Qt::LeftButton);
    d.dialog.OnSysCommand(IDM_ABOUTBOX, 0);
    d.ClickItem(6);
    QTest::mouseClick(d.Button(IDC_PROPERTIES), Qt::LeftButton);
    QCOMPARE(script.Titles(),
             (QStringList{"About Quorvel", "About Quorvel", "Grace Gill Properties"}));
}

void MainDialogTest::desktopFileDialogs_data() {
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QByteArray>("existing");  // chosen by its shown name; else "chosen"
    const QString book = "Windows Address Book (*.wab);;vCard files (*.vcf)";
    const QString vcard = "vCard files (vcf) (*.vcf)";
    QTest::newRow("book") << 0 << book << QByteArray();
    QTest::newRow("header") << 1 << "Header (CSV) (*.csv)" << QByteArray();
    QTest::newRow("csv") << 2 << "Comma Separated Values (CSV) (*.csv)" << QByteArray();
    QTest::newRow("vcard") << 3 << vcard << QByteArray();
    QTest::newRow("Latin-1 book") << 0 << book << QByteArray("caf\xe9.wab");
    QTest::newRow("Latin-1 vCard file, replaced") << 3 << vcard << QByteArray("caf\xe9.vcf");
}

void MainDialogTest::desktopFileDialogs() {
    QFETCH(int, which);
    QFETCH(QString, filter);
    QFETCH(QByteArray, existing);
    const FileDialogParams& params = *std::array{&kAddressBookDialog, &kHeaderFileDialog,
                                                 &kCsvFileDialog, &kVCardFileDialog}[which];
    const QString title = params.open ? "Open" : "Save As";
    const QString suffix = QString(params.defaultExtension).remove('.');
    QTemporaryDir folder(m_dir.path() + "/files-XXXXXX");
    const QByteArray folderBytes = QFile::encodeName(folder.path()) + "/";
    testing_support::WriteFile(Bytes(folder.filePath("other.txt")), "x");
    if (!existing.isEmpty()) {
        testing_support::WriteFile((folderBytes + existing).toStdString(), "");
    }
    QtFileDialogs dialogs;
    // Cancel first; then Enter on the wildcard names, which filter the
    // listing and leave the dialog open, and a name without its extension.
    for (const bool accept : {false, true}) {
        ModalScript script(
            {[&](QWidget* window) {
                 auto* dialog = qobject_cast<QFileDialog*>(window);
                 QVERIFY(dialog != nullptr);
                 QCOMPARE(dialog->defaultSuffix(), suffix);
                 QCOMPARE(dialog->nameFilters().join(";;"), filter);
                 QCOMPARE(dialog->acceptMode() == QFileDialog::AcceptOpen, params.open);
                 auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                 QVERIFY(name != nullptr);
                 QCOMPARE(name->text(), QString(params.initialName));
                 if (!accept) {
                     dialog->reject();
                     return;
                 }
                 dialog->setDirectory(folder.path());
                 QTest::keyClick(name, Qt::Key_Return);
                 QVERIFY(dialog->isVisible());
                 name->setText("*.t?t");
                 QTest::keyClick(name, Qt::Key_Return);
                 QVERIFY(dialog->isVisible());
                 QTRY_COMPARE(ListedNames(dialog->findChild<QListView*>("listView")),
                              QStringList{"other.txt"});
                 name->setText(existing.isEmpty() ? QStringLiteral("chosen")
                                                  : QFile::decodeName(existing));
                 // From the dialog's own loop, so that the
                 // question it may ask comes to the next step.
                 QTimer::singleShot(0, name, [name] { QTest::keyClick(name, Qt::Key_Return); });
             },
             ClickButton("Yes")});
        const std::optional<std::string> path = dialogs.Run(params);
        // Replacing a file is asked first.
        const bool replaces = accept && !existing.isEmpty() && !params.open;
        QCOMPARE(script.Titles(), replaces ? (QStringList{title, title}) : QStringList{title});
        QCOMPARE(path.has_value(), accept);
        if (accept) {
            QCOMPARE(QByteArray::fromStdString(*path),
                     folderBytes + (existing.isEmpty() ? "chosen." + suffix.toLatin1() : existing));
        }
    }
    if (!existing.isEmpty()) {
        std::filesystem::remove((folderBytes + existing).toStdString());  // beyond QTemporaryDir
    }
}

QTEST_MAIN(MainDialogTest)
#include "MainDialogTest.moc"
