// The main dialog driven through its widgets: start-up, the system menu,
// selection, Browse, Properties and every export path.
#include "UiTestSupport.h"

#include "addressbook/AddressBookSession.h"
#include "tests/addressbook/FakeWab.h"
#include "ui/ContactListView.h"
#include "ui/ConverterApp.h"
#include "ui/MainDlg.h"
#include "ui/Resource.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace {

const std::vector<TestContact> kContacts = {
    {"Alice Archer", "alice@example.org"}, {"Bob Baker", "bob@example.org"},
    {"Carol Cooper", "carol@example.org"}, {"Dave Dyer", "dave@example.org"},
    {"Erin Evans", "erin@example.org"},    {"Frank Fisher", "frank@example.org"},
    {"Grace Gill", "grace@example.org"},   {"Heidi Hart", "heidi@example.org"},
    {"Ivan Ives", "ivan@example.org"},
};

const QByteArray kCsvHeaderStart = "Name,Birthday,";

// The main dialog on one book, shown without a modal loop.
struct OpenDialog {
    explicit OpenDialog(const QString& book) {
        dialog.m_pSession = new CAddressBookSession(book.toStdString());
        dialog.SetFileDialogs(&files);
        dialog.Create();
    }
    ~OpenDialog() {
        dialog.ContactList().DeleteAllItems();
        delete dialog.m_pSession;
    }
    ContactListView& List() { return dialog.ContactList(); }
    QPushButton* Button(int id) { return qobject_cast<QPushButton*>(dialog.GetDlgItem(id)); }
    bool ExportEnabled() { return Button(IDC_EXPORT)->isEnabled(); }
    // A person's click on an item, with Ctrl to add it to the selection.
    void ClickItem(int index, bool add = false) {
        QListView& list = List();
        const QRect rect = list.visualRect(list.model()->index(index, 0));
        QTest::mouseClick(list.viewport(), Qt::LeftButton,
                          add ? Qt::ControlModifier : Qt::NoModifier, rect.center());
    }
    // Ctrl+click on every selected item: nothing left selected.
    void DeselectAll() {
        for (int i = List().GetNextItem(-1, LVNI_SELECTED); i != -1;
             i = List().GetNextItem(-1, LVNI_SELECTED)) {
            ClickItem(i, true);
        }
    }

    ScriptedFileDialogs files;
    CMainDlg dialog;
};

QStringList ItemTexts(const ContactListView& list) {
    QStringList texts;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        texts << list.model()->index(i, 0).data().toString();
    }
    return texts;
}

// The names a file dialog's listing offers.
QStringList ListedNames(const QListView* view) {
    QStringList names;
    if (view == nullptr) {
        return names;
    }
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

QStringList Names(const std::vector<TestContact>& contacts) {
    QStringList names;
    for (const TestContact& c : contacts) {
        names << QString::fromStdString(c.displayName);
    }
    return names;
}

}  // namespace

class MainDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void startUp_data();
    void startUp();
    void startUpBinary_data();
    void startUpBinary();
    void initialState();
    void systemCommands_data();
    void systemCommands();
    void systemMenuEntries();
    void exportEnabledThroughSelections();
    void exportKinds_data();
    void exportKinds();
    void cancelPaths_data();
    void cancelPaths();
    void sameHeaderAndDataPath();
    void existingFileReplaced();
    void exportNothingSelected_data();
    void exportNothingSelected();
    void exportAllOnEmptyList();
    void browse();
    void browseToBadFile();
    void writeFailureReported();
    void incompleteBook_data();
    void incompleteBook();
    void exportOverTheBookRefused();
    void properties();
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
    // The default book, where the library looks for it.
    QVERIFY(QDir().mkpath(m_dir.path() + "/data/quorvel"));
    QVERIFY(QFile::copy(m_otherBook, m_dir.path() + "/data/quorvel/default.wab"));
}

void MainDialogTest::startUp_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("listed");  // empty: no window
    const QStringList otherNames{"Yann Young", "Zoe Zimmer"};
    QTest::newRow("no argument: the default book") << QStringList{} << otherNames;
    QTest::newRow("a flag, then a name") << QStringList{"-flag", m_book} << Names(kContacts);
    QTest::newRow("slash flag, then a name") << QStringList{"/x", m_book} << Names(kContacts);
    QTest::newRow("two names: the first") << QStringList{m_otherBook, m_book} << otherNames;
    QTest::newRow("unopenable name") << QStringList{m_dir.path() + "/missing.wab"} << QStringList{};
    QTest::newRow("missing book at the root")
        << QStringList{"/quorvel-missing.wab"} << QStringList{};
}

void MainDialogTest::startUp() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, listed);
    QStringList seenItems;
    bool exportEnabled = true;
    ModalScript script({[&](QWidget* window) {
        auto* dialog = qobject_cast<CMainDlg*>(window);
        QVERIFY(dialog != nullptr);
        seenItems = ItemTexts(dialog->ContactList());
        exportEnabled = dialog->GetDlgItem(IDC_EXPORT)->isEnabled();
        QTest::mouseClick(dialog->GetDlgItem(IDCANCEL), Qt::LeftButton);  // Exit
    }});
    std::vector<std::string> bytes;
    for (const QString& argument : arguments) {
        bytes.push_back(QFile::encodeName(argument).toStdString());
    }
    CConverterApp app;
    QCOMPARE(app.InitInstance(bytes), FALSE);
    if (listed.isEmpty()) {
        QVERIFY(script.Seen().empty());
        QCOMPARE(app.ExitCode(), 1);
    } else {
        QCOMPARE(script.Titles(), QStringList{"Quorvel"});
        QCOMPARE(seenItems, listed);
        QVERIFY(!exportEnabled);
        QCOMPARE(app.ExitCode(), 0);
    }
}

void MainDialogTest::startUpBinary_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stdoutHas");
    QTest::addColumn<QString>("stderrHas");
    const QString missing = m_dir.path() + "/missing.wab";
    QTest::newRow("unopenable book") << QStringList{missing} << 1 << "" << missing;
    QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: quorvel"
                          << "";
}

void MainDialogTest::startUpBinary() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, stdoutHas);
    QFETCH(QString, stderrHas);
    const QString runtime = m_dir.path() + "/runtime";
    QVERIFY(QDir().mkpath(runtime));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtime);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QUORVEL_PROGRAM), arguments);
    // No window comes up, so the program ends by itself.
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitCode(), exitCode);
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY(out.contains(stdoutHas));
    if (!stderrHas.isEmpty()) {
        QVERIFY2(err.contains(stderrHas), qPrintable(err));
        QCOMPARE(err.count('\n'), 1);
    }
}

void MainDialogTest::initialState() {
    OpenDialog d(m_book);
    QCOMPARE(ItemTexts(d.List()), Names(kContacts));
    QVERIFY(!d.ExportEnabled());
    for (int id : {IDC_BROWSE, IDC_EXPORT_ALL, IDC_PROPERTIES, IDC_ABOUT, IDCANCEL}) {
        QVERIFY(d.Button(id)->isEnabled());
    }
    QVERIFY(!d.dialog.GetDlgItem(IDC_PROGRESS)->isEnabled());
    QCOMPARE(d.dialog.m_lastSelected, -1);
    QCOMPARE(d.dialog.focusWidget(), d.dialog.GetDlgItem(IDCANCEL));
    QCOMPARE(d.dialog.OnQueryDragIcon().cacheKey(), d.dialog.windowIcon().cacheKey());
    QVERIFY(d.List().selectionMode() == QAbstractItemView::ExtendedSelection);
    QVERIFY(d.List().flow() == QListView::TopToBottom && d.List().isWrapping());
}

void MainDialogTest::systemCommands_data() {
    QTest::addColumn<uint>("nID");
    QTest::addColumn<bool>("about");
    QTest::newRow("0x10 IDM_ABOUTBOX") << 0x10u << true;
    QTest::newRow("0x1F") << 0x1Fu << true;
    QTest::newRow("0x20") << 0x20u << false;
    QTest::newRow("0xF000 SC_SIZE") << 0xF000u << false;
}

void MainDialogTest::systemCommands() {
    QFETCH(uint, nID);
    QFETCH(bool, about);
    OpenDialog d(m_book);
    ModalScript script({ClickButton("OK")});
    d.dialog.OnSysCommand(nID, 0);
    QTest::qWait(50);
    QCOMPARE(script.Titles(), about ? QStringList{"About Quorvel"} : QStringList{});
    QVERIFY(d.dialog.isVisible());
}

void MainDialogTest::systemMenuEntries() {
    OpenDialog d(m_book);
    QMenu* menu = d.dialog.GetSystemMenu();
    QVERIFY(menu != nullptr);
    const QList<QAction*> actions = menu->actions();
    QCOMPARE(actions.size(), 3);
    QVERIFY(actions[1]->isSeparator());
    QCOMPARE(actions[2]->text(), QStringLiteral("&About Quorvel..."));
    QCOMPARE(actions[2]->data().toUInt(), IDM_ABOUTBOX);
    {
        ModalScript script({ClickButton("OK")});
        actions[2]->trigger();
        QCOMPARE(script.Titles(), QStringList{"About Quorvel"});
    }
    {
        ModalScript script({ClickButton("OK")});
        QTest::mouseClick(d.Button(IDC_ABOUT), Qt::LeftButton);
        QCOMPARE(script.Titles(), QStringList{"About Quorvel"});
    }
    // Alt+Space and a right click open the menu.
    d.dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d.dialog));
    QTest::keyClick(&d.dialog, Qt::Key_Space, Qt::AltModifier);
    QTRY_VERIFY(menu->isVisible());
    menu->hide();
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5),
                                 d.dialog.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&d.dialog, &rightClick);
    QTRY_VERIFY(menu->isVisible());
    menu->hide();
    // Close goes the way of IDCANCEL and ends the dialog.
    actions[0]->trigger();
    QVERIFY(!d.dialog.isVisible());
    QCOMPARE(d.dialog.result(), IDCANCEL);
}

void MainDialogTest::exportEnabledThroughSelections() {
    OpenDialog d(m_book);
    const QString out = m_dir.path() + "/sel.vcf";
    d.dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d.dialog));
    d.ClickItem(3);
    QCOMPARE(d.dialog.m_lastSelected, 3);
    QVERIFY(d.ExportEnabled());
    // The selection is drawn only while the list has the focus, and kept.
    const auto highlighted = [&d] {
        const QImage shown = d.List().viewport()->grab().toImage();
        const QRect item = d.List().visualRect(d.List().model()->index(3, 0));
        const QRgb base = d.List().palette().color(QPalette::Base).rgb();
        return shown.pixel(item.left() + 1, item.center().y()) != base;
    };
    QVERIFY(highlighted());
    QTest::keyClick(&d.List(), Qt::Key_Tab);
    QVERIFY(!d.List().hasFocus());
    QVERIFY(!highlighted());
    QCOMPARE(d.List().GetNextItem(-1, LVNI_SELECTED), 3);
    QTest::keyClick(d.dialog.focusWidget(), Qt::Key_Backtab);
    QVERIFY(highlighted());
    d.ClickItem(1);  // only item 1, before the last chosen: nothing changes
    QCOMPARE(d.dialog.m_lastSelected, 3);
    d.ClickItem(7, true);
    QCOMPARE(d.dialog.m_lastSelected, 7);
    d.DeselectAll();
    QVERIFY(d.ExportEnabled());  // deselecting leaves Export enabled
    QCOMPARE(d.dialog.m_lastSelected, 7);

    // Export disables it; items at or before 7 do not enable it again.
    d.ClickItem(7);
    d.files.Answer(out.toStdString());
    {
        ModalScript script({ClickControl(IDC_EXPORT_VCARD), ClickButton("OK")});
        QTest::mouseClick(d.Button(IDC_EXPORT), Qt::LeftButton);
        QCOMPARE(script.Titles(), (QStringList{"Export Type?", "Quorvel"}));
    }
    QVERIFY(!d.ExportEnabled());
    d.ClickItem(7);
    QVERIFY(!d.ExportEnabled());
    d.ClickItem(2);
    QVERIFY(!d.ExportEnabled());
    d.ClickItem(8);
    QVERIFY(d.ExportEnabled());
    QCOMPARE(d.dialog.m_lastSelected, 8);
}

void MainDialogTest::exportKinds_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("all");
    QTest::addColumn<QList<int>>("selection");
    QTest::addColumn<QString>("cliFormat");
    QTest::newRow("vCard, selected") << IDC_EXPORT_VCARD << false << QList<int>{1, 4, 6} << "vcard";
    QTest::newRow("vCard, all") << IDC_EXPORT_VCARD << true << QList<int>{2} << "vcard";
    QTest::newRow("CSV, selected") << IDC_EXPORT_CSV << false << QList<int>{0, 8} << "csv";
    QTest::newRow("CSV, all") << IDC_EXPORT_CSV << true << QList<int>{} << "csv";
    QTest::newRow("split, selected")
        << IDC_EXPORT_CSV_SPLIT << false << QList<int>{3, 5} << "csv-split";
    QTest::newRow("split, all") << IDC_EXPORT_CSV_SPLIT << true << QList<int>{} << "csv-split";
}

void MainDialogTest::exportKinds() {
    QFETCH(int, kind);
    QFETCH(bool, all);
    QFETCH(QList<int>, selection);
    QFETCH(QString, cliFormat);
    const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_');
    const QString header = m_dir.path() + "/" + tag + ".header.csv";
    const QString data = m_dir.path() + "/" + tag + ".out";
    const QString cliHeader = m_dir.path() + "/" + tag + ".cli-header.csv";
    const QString cliData = m_dir.path() + "/" + tag + ".cli.out";

    OpenDialog d(m_book);
    for (int index : selection) {
        d.ClickItem(index, true);
    }
    const bool exportWasEnabled = d.ExportEnabled();
    if (kind == IDC_EXPORT_CSV_SPLIT) {
        d.files.Answer(header.toStdString());
    }
    d.files.Answer(data.toStdString());
    ModalScript script({ClickControl(kind), ClickButton("OK")});
    QTest::mouseClick(d.Button(all ? IDC_EXPORT_ALL : IDC_EXPORT), Qt::LeftButton);
    QCOMPARE(script.Titles(), (QStringList{"Export Type?", "Quorvel"}));
    QCOMPARE(script.Seen()[1].text, QStringLiteral("Export Complete"));

    // The dialogs asked for, with their exact strings.
    std::vector<const FileDialogParams*> expected;
    if (kind == IDC_EXPORT_CSV_SPLIT) {
        expected = {&kHeaderFileDialog, &kCsvFileDialog};
    } else {
        expected = {kind == IDC_EXPORT_VCARD ? &kVCardFileDialog : &kCsvFileDialog};
    }
    QCOMPARE(d.files.asked.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(d.files.asked[i].filter, expected[i]->filter);
        QCOMPARE(d.files.asked[i].defaultExtension, expected[i]->defaultExtension);
        QCOMPARE(d.files.asked[i].initialName, expected[i]->initialName);
        QVERIFY(!d.files.asked[i].open);
    }

    // The same bytes as quorvel-export writes for the same choice.
    QStringList cli{"-f", cliFormat, "-o", cliData};
    if (kind == IDC_EXPORT_CSV_SPLIT) {
        cli << "--header" << cliHeader;
    }
    if (!all) {
        QStringList positions;
        for (int index : selection) {
            positions << QString::number(index);
        }
        cli << "--select" << positions.join(',');
    }
    QVERIFY(RunCliExport(cli << m_book));
    const QByteArray written = ReadAll(data);
    QVERIFY(!written.isEmpty());
    QCOMPARE(written, ReadAll(cliData));
    if (kind == IDC_EXPORT_CSV_SPLIT) {
        QCOMPARE(ReadAll(header), ReadAll(cliHeader));
        QVERIFY(ReadAll(header).startsWith(kCsvHeaderStart));
        QVERIFY(ReadAll(header).endsWith("\r\n"));
    }
    // Export disables itself; Export All leaves it alone.
    QCOMPARE(d.ExportEnabled(), all ? exportWasEnabled : false);
    // The run left the bar at 0; a CSV run leaves it disabled.
    auto* bar = qobject_cast<QProgressBar*>(d.dialog.GetDlgItem(IDC_PROGRESS));
    QCOMPARE(bar->value(), 0);
    QVERIFY(!bar->isEnabled());
    QCOMPARE(bar->maximum(),
             all ? static_cast<int>(kContacts.size()) : static_cast<int>(selection.size()));
}

void MainDialogTest::cancelPaths_data() {
    QTest::addColumn<int>("kind");      // IDCANCEL: Escape in the type dialog
    QTest::addColumn<int>("answered");  // file dialogs answered before a Cancel
    QTest::addColumn<int>("asked");
    QTest::addColumn<bool>("headerLeft");
    QTest::newRow("Escape in the type dialog") << IDCANCEL << 0 << 0 << false;
    QTest::newRow("vCard file cancelled") << IDC_EXPORT_VCARD << 0 << 1 << false;
    QTest::newRow("CSV file cancelled") << IDC_EXPORT_CSV << 0 << 1 << false;
    QTest::newRow("header file cancelled") << IDC_EXPORT_CSV_SPLIT << 0 << 1 << false;
    QTest::newRow("split data file cancelled") << IDC_EXPORT_CSV_SPLIT << 1 << 2 << true;
}

void MainDialogTest::cancelPaths() {
    QFETCH(int, kind);
    QFETCH(int, answered);
    QFETCH(int, asked);
    QFETCH(bool, headerLeft);
    const QString header = m_dir.path() + "/cancel-" + QString::number(kind) + ".csv";
    QFile::remove(header);
    OpenDialog d(m_book);
    d.ClickItem(2);
    if (answered > 0) {
        d.files.Answer(header.toStdString());
    }
    ModalScript script({kind == IDCANCEL ? PressEscape() : ClickControl(kind)});
    QTest::mouseClick(d.Button(IDC_EXPORT), Qt::LeftButton);
    QCOMPARE(script.Titles(), QStringList{"Export Type?"});  // no "Export Complete"
    QCOMPARE(static_cast<int>(d.files.asked.size()), asked);
    QCOMPARE(QFile::exists(header), headerLeft);
    if (headerLeft) {
        const QByteArray bytes = ReadAll(header);
        QVERIFY(bytes.startsWith(kCsvHeaderStart));
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count('\n'), 1);
    }
    QVERIFY(d.ExportEnabled());  // an unfinished export leaves Export enabled
}

void MainDialogTest::sameHeaderAndDataPath() {
    const QString path = m_dir.path() + "/same.csv";
    const QString cliHeader = m_dir.path() + "/same.cli-header.csv";
    const QString cliData = m_dir.path() + "/same.cli.csv";
    OpenDialog d(m_book);
    d.files.Answer(path.toStdString());
    d.files.Answer(path.toStdString());
    ModalScript script({ClickControl(IDC_EXPORT_CSV_SPLIT), ClickButton("OK")});
    QTest::mouseClick(d.Button(IDC_EXPORT_ALL), Qt::LeftButton);
    QCOMPARE(script.Titles(), (QStringList{"Export Type?", "Quorvel"}));
    QVERIFY(RunCliExport({"-f", "csv-split", "--header", cliHeader, "-o", cliData, m_book}));
    // The data file replaced the header file: rows only.
    QCOMPARE(ReadAll(path), ReadAll(cliData));
    QVERIFY(!ReadAll(path).startsWith(kCsvHeaderStart));
}

void MainDialogTest::existingFileReplaced() {
    const QString path = m_dir.path() + "/existing.vcf";
    const QString cli = m_dir.path() + "/existing.cli.vcf";
    WriteAll(path, QByteArray(100000, 'x'));
    OpenDialog d(m_book);
    d.ClickItem(0);
    d.files.Answer(path.toStdString());
    ModalScript script({ClickControl(IDC_EXPORT_VCARD), ClickButton("OK")});
    QTest::mouseClick(d.Button(IDC_EXPORT), Qt::LeftButton);
    QVERIFY(RunCliExport({"-f", "vcard", "-o", cli, "--select", "0", m_book}));
    QCOMPARE(ReadAll(path), ReadAll(cli));
}

void MainDialogTest::exportNothingSelected_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("vCard") << IDC_EXPORT_VCARD;
    QTest::newRow("CSV") << IDC_EXPORT_CSV;
    QTest::newRow("split") << IDC_EXPORT_CSV_SPLIT;
}

void MainDialogTest::exportNothingSelected() {
    QFETCH(int, kind);
    const QString header = m_dir.path() + "/none-header-" + QString::number(kind) + ".csv";
    const QString data = m_dir.path() + "/none-" + QString::number(kind) + ".out";
    const QString cliHeader = m_dir.path() + "/none.cli-header.csv";
    OpenDialog d(m_book);
    d.ClickItem(4);
    d.DeselectAll();
    QVERIFY(d.ExportEnabled());
    if (kind == IDC_EXPORT_CSV_SPLIT) {
        d.files.Answer(header.toStdString());
    }
    d.files.Answer(data.toStdString());
    ModalScript script({ClickControl(kind), ClickButton("OK")});
    QTest::mouseClick(d.Button(IDC_EXPORT), Qt::LeftButton);
    QCOMPARE(script.Titles(), (QStringList{"Export Type?", "Quorvel"}));
    QVERIFY(!d.ExportEnabled());

    QVERIFY(RunCliExport(
        {"-f", "csv-split", "--header", cliHeader, "-o", m_dir.path() + "/none.cli.csv", m_book}));
    const QByteArray headerLine = ReadAll(cliHeader);
    QVERIFY(QFile::exists(data));
    switch (kind) {
        case IDC_EXPORT_VCARD:
            QCOMPARE(ReadAll(data), QByteArray());
            break;
        case IDC_EXPORT_CSV:
            QCOMPARE(ReadAll(data), headerLine);
            break;
        default:
            QCOMPARE(ReadAll(header), headerLine);
            QCOMPARE(ReadAll(data), QByteArray());
            break;
    }
}

void MainDialogTest::exportAllOnEmptyList() {
    const QString vcf = m_dir.path() + "/empty.vcf";
    const QString csv = m_dir.path() + "/empty.csv";
    const QString cliHeader = m_dir.path() + "/empty.cli-header.csv";
    OpenDialog d(m_emptyBook);
    QCOMPARE(d.List().GetItemCount(), 0);
    d.files.Answer(vcf.toStdString());
    d.files.Answer(csv.toStdString());
    {
        ModalScript script({ClickControl(IDC_EXPORT_VCARD), ClickButton("OK"),
                            ClickControl(IDC_EXPORT_CSV), ClickButton("OK")});
        QTest::mouseClick(d.Button(IDC_EXPORT_ALL), Qt::LeftButton);
        QTest::mouseClick(d.Button(IDC_EXPORT_ALL), Qt::LeftButton);
        QCOMPARE(script.Titles(),
                 (QStringList{"Export Type?", "Quorvel", "Export Type?", "Quorvel"}));
    }
    QVERIFY(RunCliExport(
        {"-f", "csv-split", "--header", cliHeader, "-o", m_dir.path() + "/empty.cli.csv", m_book}));
    QVERIFY(QFile::exists(vcf));
    QCOMPARE(ReadAll(vcf), QByteArray());
    QCOMPARE(ReadAll(csv), ReadAll(cliHeader));
    QVERIFY(!d.ExportEnabled());  // Export All leaves it as it was
}

void MainDialogTest::browse() {
    OpenDialog d(m_book);
    d.ClickItem(5);
    CAddressBookSession* const first = d.dialog.m_pSession;
    // Cancelled: nothing changes.
    d.files.Answer(std::nullopt);
    QTest::mouseClick(d.Button(IDC_BROWSE), Qt::LeftButton);
    QCOMPARE(d.dialog.m_pSession, first);
    QCOMPARE(ItemTexts(d.List()), Names(kContacts));
    QCOMPARE(d.files.asked.size(), std::size_t{1});
    QCOMPARE(d.files.asked[0].filter, kAddressBookDialog.filter);
    QCOMPARE(d.files.asked[0].defaultExtension, ".wab");
    QCOMPARE(d.files.asked[0].initialName, "*.wab");
    QVERIFY(d.files.asked[0].open);

    // A good book: the list is refilled; the last choice and Export stay.
    d.files.Answer(m_otherBook.toStdString());
    {
        ModalScript script;
        QTest::mouseClick(d.Button(IDC_BROWSE), Qt::LeftButton);
        QVERIFY(script.Seen().empty());
    }
    QVERIFY(d.dialog.m_pSession != first);
    QVERIFY(d.dialog.m_pSession->m_bOpened);
    QCOMPARE(ItemTexts(d.List()), (QStringList{"Yann Young", "Zoe Zimmer"}));
    QCOMPARE(d.dialog.m_lastSelected, 5);
    QVERIFY(d.ExportEnabled());

    // The new book's contacts export.
    const QString out = m_dir.path() + "/browsed.vcf";
    const QString cli = m_dir.path() + "/browsed.cli.vcf";
    d.files.Answer(out.toStdString());
    ModalScript script({ClickControl(IDC_EXPORT_VCARD), ClickButton("OK")});
    QTest::mouseClick(d.Button(IDC_EXPORT_ALL), Qt::LeftButton);
    QVERIFY(RunCliExport({"-f", "vcard", "-o", cli, m_otherBook}));
    QCOMPARE(ReadAll(out), ReadAll(cli));
}

void MainDialogTest::browseToBadFile() {
    const QString bad = m_dir.path() + "/not-a-book.wab";
    WriteAll(bad, "this is not an address book\n");
    OpenDialog d(m_book);
    d.ClickItem(2);
    CAddressBookSession* const session = d.dialog.m_pSession;
    d.files.Answer(bad.toStdString());
    {
        ModalScript script({ClickButton("OK")});
        QTest::mouseClick(d.Button(IDC_BROWSE), Qt::LeftButton);
        QCOMPARE(script.Seen().size(), std::size_t{1});
        QVERIFY(script.Seen()[0].text.contains(bad));
        QVERIFY(script.Seen()[0].text.contains("could not be opened as an address book"));
    }
    QCOMPARE(d.dialog.m_pSession, session);
    QCOMPARE(ItemTexts(d.List()), Names(kContacts));
    QCOMPARE(d.dialog.m_lastSelected, 2);
    // The old session still serves the commands.
    const QString out = m_dir.path() + "/after-bad.csv";
    d.files.Answer(out.toStdString());
    ModalScript exportScript({ClickControl(IDC_EXPORT_CSV), ClickButton("OK")});
    QTest::mouseClick(d.Button(IDC_EXPORT), Qt::LeftButton);
    QCOMPARE(exportScript.Titles(), (QStringList{"Export Type?", "Quorvel"}));
    QVERIFY(ReadAll(out).contains("Carol Cooper"));
}

void MainDialogTest::writeFailureReported() {
    if (!QFile::exists("/dev/full")) {
        QSKIP("no /dev/full here");
    }
    OpenDialog d(m_book);
    d.ClickItem(1);
    d.files.Answer("/dev/full");
    ModalScript script({ClickControl(IDC_EXPORT_CSV), ClickButton("OK")});
    QTest::mouseClick(d.Button(IDC_EXPORT), Qt::LeftButton);
    QCOMPARE(script.Titles(), (QStringList{"Export Type?", "Quorvel"}));
    const QString message = script.Seen()[1].text;
    QVERIFY2(message.contains("/dev/full"), qPrintable(message));
    QVERIFY2(message.contains(QString::fromLocal8Bit(strerror(ENOSPC))), qPrintable(message));
    QVERIFY(!message.contains("Export Complete"));
    QVERIFY(d.ExportEnabled());  // the command did not finish
    QVERIFY(d.dialog.isVisible());
}

void MainDialogTest::incompleteBook_data() {
    QTest::addColumn<QList<int>>("unreadable");  // entries that cannot be opened
    QTest::addColumn<int>("queryFailAt");        // the listing call that fails; -1: none
    QTest::addColumn<QString>("fillMessage");
    QTest::addColumn<QString>("exportMessage");  // "%1": the output file
    QTest::newRow("one contact unreadable")
        << QList<int>{2} << -1 << ""
        << "Export finished, but 1 of 3 contacts could not be read and is missing from %1";
    QTest::newRow("two contacts unreadable")
        << QList<int>{0, 2} << -1 << ""
        << "Export finished, but 2 of 3 contacts could not be read and are missing from %1";
    QTest::newRow("listing fails part-way")
        << QList<int>{} << 2 << "The address book could be read only in part. Contacts listed: 2."
        << "Export Complete";
}

void MainDialogTest::incompleteBook() {
    QFETCH(QList<int>, unreadable);
    QFETCH(int, queryFailAt);
    QFETCH(QString, fillMessage);
    QFETCH(QString, exportMessage);
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
        std::vector<ModalScript::Step> steps;
        if (!fillMessage.isEmpty()) {
            steps.push_back(ClickButton("OK"));
        }
        steps.insert(steps.end(), {ClickControl(IDC_EXPORT_VCARD), ClickButton("OK")});
        ModalScript script(steps);
        OpenDialog d("fake.wab");
        QTRY_COMPARE(script.Seen().size(), std::size_t{fillMessage.isEmpty() ? 0u : 1u});
        d.files.Answer(out.toStdString());
        QTest::mouseClick(d.Button(IDC_EXPORT_ALL), Qt::LeftButton);
        QStringList texts;
        for (const SeenWindow& seen : script.Seen()) {
            texts << seen.text;
        }
        QStringList expected{"",
                             exportMessage.contains("%1") ? exportMessage.arg(out) : exportMessage};
        if (!fillMessage.isEmpty()) {
            expected.prepend(fillMessage);
        }
        QCOMPARE(texts, expected);
    }
    qunsetenv("QUORVEL_WAB_DLLPATH");
    dlclose(library);
}

// The open book itself as the output: refused before a byte of it changes.
void MainDialogTest::exportOverTheBookRefused() {
    OpenDialog d(m_book);
    d.ClickItem(1);
    const QByteArray book = ReadAll(m_book);
    d.files.Answer(m_book.toStdString());
    ModalScript overBook({ClickControl(IDC_EXPORT_VCARD), ClickButton("OK")});
    QTest::mouseClick(d.Button(IDC_EXPORT), Qt::LeftButton);
    QCOMPARE(overBook.Titles(), (QStringList{"Export Type?", "Quorvel"}));
    QVERIFY2(overBook.Seen()[1].text.contains("is the address book being read"),
             qPrintable(overBook.Seen()[1].text));
    QCOMPARE(ReadAll(m_book), book);
    QVERIFY(d.ExportEnabled());
}

void MainDialogTest::properties() {
    OpenDialog d(m_book);
    {
        ModalScript script;
        QTest::mouseClick(d.Button(IDC_PROPERTIES), Qt::LeftButton);
        QTest::qWait(50);
        QVERIFY(script.Seen().empty());
    }
    d.ClickItem(6);
    ModalScript script({CloseWith(0)});
    QTest::mouseClick(d.Button(IDC_PROPERTIES), Qt::LeftButton);
    QCOMPARE(script.Seen().size(), std::size_t{1});
    QCOMPARE(script.Seen()[0].objectName, QStringLiteral("WabDetailsDialog"));
    QVERIFY(script.Seen()[0].text.contains("Grace Gill") ||
            script.Seen()[0].title.contains("Grace Gill"));
}

void MainDialogTest::desktopFileDialogs_data() {
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("initial");
    QTest::addColumn<QByteArray>("existing");  // chosen by its shown name; else "chosen"
    QTest::newRow("book") << 0 << "Open"
                          << "wab"
                          << "Windows Address Book (*.wab);;vCard files (*.vcf)"
                          << "*.wab" << QByteArray();
    QTest::newRow("header") << 1 << "Save As"
                            << "csv"
                            << "Header (CSV) (*.csv)"
                            << "*.csv" << QByteArray();
    QTest::newRow("csv") << 2 << "Save As"
                         << "csv"
                         << "Comma Separated Values (CSV) (*.csv)"
                         << "*.csv" << QByteArray();
    QTest::newRow("vcard") << 3 << "Save As"
                           << "vcf"
                           << "vCard files (vcf) (*.vcf)"
                           << "*.vcf" << QByteArray();
    QTest::newRow("Latin-1 book") << 0 << "Open"
                                  << "wab"
                                  << "Windows Address Book (*.wab);;vCard files (*.vcf)"
                                  << "*.wab" << QByteArray("caf\xe9.wab");
    QTest::newRow("Latin-1 vCard file, replaced") << 3 << "Save As"
                                                  << "vcf"
                                                  << "vCard files (vcf) (*.vcf)"
                                                  << "*.vcf" << QByteArray("caf\xe9.vcf");
}

void MainDialogTest::desktopFileDialogs() {
    QFETCH(int, which);
    QFETCH(QString, title);
    QFETCH(QString, suffix);
    QFETCH(QString, filter);
    QFETCH(QString, initial);
    QFETCH(QByteArray, existing);
    const FileDialogParams* params[] = {&kAddressBookDialog, &kHeaderFileDialog, &kCsvFileDialog,
                                        &kVCardFileDialog};
    QTemporaryDir folder(m_dir.path() + "/files-XXXXXX");
    const QByteArray folderBytes = QFile::encodeName(folder.path()) + "/";
    WriteAll(folder.path() + "/other.txt", "x");
    if (!existing.isEmpty()) {
        QVERIFY(std::ofstream((folderBytes + existing).toStdString()).good());
    }
    const bool replaces = !existing.isEmpty() && which != 0;
    QtFileDialogs dialogs;
    QString shownSuffix;
    QStringList shownFilters;
    QString shownName;
    QStringList listedForPattern;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    // Cancel first; then Enter on the wildcard names, which filter the
    // listing and leave the dialog open, and a name without its extension.
    for (const bool accept : {false, true}) {
        ModalScript script({[&](QWidget* window) {
                                auto* dialog = qobject_cast<QFileDialog*>(window);
                                QVERIFY(dialog != nullptr);
                                shownSuffix = dialog->defaultSuffix();
                                shownFilters = dialog->nameFilters();
                                mode = dialog->acceptMode();
                                auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                                QVERIFY(name != nullptr);
                                shownName = name->text();
                                if (!accept) {
                                    dialog->reject();
                                    return;
                                }
                                dialog->setDirectory(folder.path());
                                QCOMPARE(name->text(), initial);
                                QTest::keyClick(name, Qt::Key_Return);
                                QVERIFY(dialog->isVisible());
                                name->setText("*.t?t");
                                QTest::keyClick(name, Qt::Key_Return);
                                QVERIFY(dialog->isVisible());
                                auto* view = dialog->findChild<QListView*>("listView");
                                QTRY_COMPARE(ListedNames(view), QStringList{"other.txt"});
                                name->setText(existing.isEmpty() ? QStringLiteral("chosen")
                                                                 : QFile::decodeName(existing));
                                // From the dialog's own loop, so that the
                                // question it may ask comes to the next step.
                                QTimer::singleShot(
                                    0, name, [name] { QTest::keyClick(name, Qt::Key_Return); });
                            },
                            ClickButton("Yes")});
        const std::optional<std::string> path = dialogs.Run(*params[which]);
        if (!accept) {
            QCOMPARE(script.Titles(), QStringList{title});
            QVERIFY(!path);
        } else {
            // Replacing a file is asked first.
            QCOMPARE(script.Titles(), replaces ? (QStringList{title, title}) : QStringList{title});
            QVERIFY(path.has_value());
            QCOMPARE(QByteArray::fromStdString(*path),
                     folderBytes + (existing.isEmpty() ? "chosen." + suffix.toLatin1() : existing));
        }
    }
    if (!existing.isEmpty()) {
        std::filesystem::remove((folderBytes + existing).toStdString());  // beyond QTemporaryDir
    }
    QCOMPARE(shownSuffix, suffix);
    QCOMPARE(shownFilters.join(";;"), filter);
    QCOMPARE(shownName, initial);
    QCOMPARE(mode, which == 0 ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
}

QTEST_MAIN(MainDialogTest)
#include "MainDialogTest.moc"
