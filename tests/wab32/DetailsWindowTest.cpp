// The library's details window, found as the active modal widget.
#include "WabTestSupport.h"

#include <QApplication>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using namespace wabtest;

using Rows = std::vector<std::pair<QString, QString>>;

// Polls until the modal window is up, notes its object name and title, then
// its table's rows, checks that they cannot be edited and closes it.
void WatchForDialog(Rows& seen) {
    QTimer::singleShot(20, [&seen] {
        QWidget* w = QApplication::activeModalWidget();
        if (w == nullptr) {
            return WatchForDialog(seen);
        }
        seen.emplace_back(w->objectName(), w->windowTitle());
        auto* table = w->findChild<QTableWidget*>();
        for (int r = 0; table != nullptr && r < table->rowCount(); ++r) {
            seen.emplace_back(table->item(r, 0)->text(), table->item(r, 1)->text());
        }
        EXPECT_TRUE(table != nullptr && table->editTriggers() == QAbstractItemView::NoEditTriggers);
        w->close();
    });
}

TEST(DetailsWindowTest, ShowsTheEntrysPropertiesReadOnly) {
    TempDir dir;
    OpenedBook opened(CreateBook(dir / "d.wab", R"({"entries": [{"type": "mailuser", "props": [
        {"tag": "0x3A06001E", "value": "Ada"},
        {"tag": "0x3001001E", "value": "Ada Lovelace"},
        {"tag": "0x3A56101E", "values": ["ada@x.example", "a@y.example"]},
        {"tag": "0x3A420040", "filetime": "67827456000000000"},
        {"tag": "0x3004001E", "hex": "4E6F74E9"},
        {"tag": "0x3FFD0003", "int": 12}]}]})"));
    Rows seen;
    WatchForDialog(seen);
    std::uintptr_t window = 0;
    EXPECT_EQ(
        opened.book->Details(&window, nullptr, nullptr, 8, opened.ListAll().at(0).entryId.data(),
                             nullptr, nullptr, nullptr, 0),
        S_OK);
    const Rows expected{
        {"WabDetailsDialog", "Ada Lovelace Properties"},
        {"Given name", "Ada"},
        {"Display name", "Ada Lovelace"},
        {"E-mail addresses", "ada@x.example\na@y.example"},
        {"Birthday", "1815-12-10 00:00:00.0000000 UTC"},
        {"Notes", QString::fromLatin1("Not\xE9")},
        {"Property 0x3ffd0003", "12"},
    };
    EXPECT_EQ(seen, expected);
}

}  // namespace

int main(int argc, char** argv) {
    // Headless unless told otherwise, also for test discovery.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
