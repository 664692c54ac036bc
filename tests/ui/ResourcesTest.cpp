// The desktop program's arithmetic: templates converted to pixels, the
// command line, the list's order.
#include "core/EntryRef.h"
#include "ui/ContactListView.h"
#include "ui/ConverterApp.h"
#include "ui/Dialog.h"
#include "ui/ExportTypeDlg.h"
#include "ui/Resource.h"
#include "ui/resources/DialogTemplate.h"

#include <QPushButton>
#include <QTest>

class ResourcesTest : public QObject {
    Q_OBJECT

  private slots:
    void dialogUnitsToPixels_data();
    void dialogUnitsToPixels();
    void dialogBuiltFromTemplate();
    void parseCommandLine_data();
    void parseCommandLine();
    void listKeepsNameOrder();
};

void ResourcesTest::dialogUnitsToPixels_data() {
    QTest::addColumn<int>("bx");
    QTest::addColumn<int>("by");
    QTest::addColumn<QList<int>>("dlu");
    QTest::addColumn<QList<int>>("px");
    // MS Sans Serif 8 pt at 96 dpi has base units 6 x 13.
    QTest::newRow("main dialog, 6x13")
        << 6 << 13 << QList<int>{0, 0, 266, 177} << QList<int>{0, 0, 399, 288};
    QTest::newRow("list, 7x16") << 7 << 16 << QList<int>{7, 6, 197, 144}
                                << QList<int>{12, 12, 345, 288};
    QTest::newRow("halves round up") << 5 << 12 << QList<int>{1, 1, 2, 3} << QList<int>{1, 2, 3, 5};
}

void ResourcesTest::dialogUnitsToPixels() {
    QFETCH(int, bx);
    QFETCH(int, by);
    QFETCH(QList<int>, dlu);
    QFETCH(QList<int>, px);
    const PixelRect r = DialogUnitsToPixels({dlu[0], dlu[1], dlu[2], dlu[3]}, {bx, by});
    QCOMPARE((QList<int>{r.x, r.y, r.width, r.height}), px);
}

void ResourcesTest::dialogBuiltFromTemplate() {
    CExportTypeDlg dialog;
    const DialogBaseUnits units = CDialog::MeasureBaseUnits(dialog.font());
    QVERIFY(units.x > 0 && units.y > 0);
    const PixelRect size = DialogUnitsToPixels({0, 0, 130, 79}, units);
    QCOMPARE(dialog.size(), QSize(size.width, size.height));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QCOMPARE(dialog.font().pointSize(), 8);
    // Controls at their template positions, in template (tab) order.
    QList<QWidget*> chain;
    for (const ControlTemplate& c : ExportTypeTemplate().controls) {
        QWidget* w = dialog.GetDlgItem(c.id);
        QVERIFY(w != nullptr);
        const PixelRect r = DialogUnitsToPixels(c.rect, units);
        QCOMPARE(w->geometry(), QRect(r.x, r.y, r.width, r.height));
        chain << w;
    }
    QCOMPARE(chain[0]->nextInFocusChain(), chain[1]);
    QCOMPARE(chain[1]->nextInFocusChain(), chain[2]);
    QVERIFY(static_cast<QPushButton*>(chain[0])->isDefault());
    QVERIFY(dialog.GetSystemMenu() == nullptr);
}

void ResourcesTest::parseCommandLine_data() {
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<QByteArray>("fileName");
    QTest::newRow("none") << QByteArrayList{} << QByteArray();
    QTest::newRow("one name") << QByteArrayList{"a.wab"} << QByteArray("a.wab");
    QTest::newRow("flag then name") << QByteArrayList{"-x", "a.wab"} << QByteArray("a.wab");
    QTest::newRow("two names") << QByteArrayList{"a.wab", "b.wab"} << QByteArray("a.wab");
    QTest::newRow("flags only") << QByteArrayList{"--x", "/y"} << QByteArray();
    QTest::newRow("absolute path")
        << QByteArrayList{"/x", "/tmp/a.wab"} << QByteArray("/tmp/a.wab");
    QTest::newRow("missing file at the root")
        << QByteArrayList{"/book.wab"} << QByteArray("/book.wab");
    QTest::newRow("existing file at the root") << QByteArrayList{"/"} << QByteArray("/");
    QTest::newRow("Latin-1 name") << QByteArrayList{"caf\xe9.wab"} << QByteArray("caf\xe9.wab");
}

void ResourcesTest::parseCommandLine() {
    QFETCH(QByteArrayList, arguments);
    QFETCH(QByteArray, fileName);
    std::vector<std::string> bytes;
    for (const QByteArray& argument : arguments) {
        bytes.push_back(argument.toStdString());
    }
    CCommandLineInfo info;
    ::ParseCommandLine(bytes, info);
    QCOMPARE(QByteArray::fromStdString(info.m_strFileName), fileName);
}

void ResourcesTest::listKeepsNameOrder() {
    ContactListView list;
    EntryRef refs[6] = {};
    // Appends in order, places the rest by name (ASCII case folded).
    QCOMPARE(list.InsertItem(0, "Bob", &refs[0]), 0);
    QCOMPARE(list.InsertItem(1, "dave", &refs[1]), 1);
    QCOMPARE(list.InsertItem(2, "Alice", &refs[2]), 0);
    QCOMPARE(list.InsertItem(3, "carol", &refs[3]), 2);
    QCOMPARE(list.InsertItem(4, "Zed", &refs[4]), 4);
    QCOMPARE(list.InsertItem(5, "bob", &refs[5]), 2);
    QCOMPARE(list.GetItemCount(), 6);
    const QStringList expected{"Alice", "Bob", "bob", "carol", "dave", "Zed"};
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(list.model()->index(i, 0).data().toString(), expected[i]);
    }
    QCOMPARE(list.GetItemData(0), &refs[2]);
    QCOMPARE(list.GetItemData(5), &refs[4]);
    QVERIFY(list.GetItemData(6) == nullptr);
    QVERIFY(list.GetItemData(-1) == nullptr);
    // Fill brackets give the same order.
    list.DeleteAllItems();
    list.BeginFill();
    list.InsertItem(0, "b", nullptr);
    list.InsertItem(1, "a", nullptr);
    list.EndFill();
    QCOMPARE(list.model()->rowCount(), 2);
    QCOMPARE(list.model()->index(0, 0).data().toString(), QStringLiteral("a"));
    // Bytes that are not UTF-8 are shown as Latin-1.
    list.InsertItem(2, "Ren\xE9", nullptr);
    QCOMPARE(list.model()->index(2, 0).data().toString(), QString::fromUtf8("Ren\u00e9"));
}

QTEST_MAIN(ResourcesTest)
#include "ResourcesTest.moc"
