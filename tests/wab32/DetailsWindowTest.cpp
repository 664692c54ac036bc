// The library's details window, found as the active modal widget.
#include "WabTestSupport.h"

#include <QApplication>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

using namespace wabtest;

TEST(DetailsWindowTest, ShowsTheEntrysPropertiesReadOnly) {
    int argc = 1;
    char name[] = "DetailsWindowTest", *argv[] = {name, nullptr};
    QApplication app(argc, argv);  // on the offscreen platform CTest sets
    TempDir dir;
    OpenedBook opened(CreateBook(dir / "d.wab", R"({"entries": [{"type": "mailuser", "props": [
        {"tag": "0x3001001E", "value": "Ada Lovelace"},
        {"tag": "0x3A56101E", "values": ["ada@x.example", "a@y.example"]},
        {"tag": "0x3004001E", "hex": "4E6F74E9"},
        {"tag": "0x3FFD0003", "int": 12}]}]})"));
    // The window's title, whether its table can be edited, then the rows; it is closed.
    QStringList seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&seen] {
        QWidget* window = QApplication::activeModalWidget();
        auto* table = window != nullptr ? window->findChild<QTableWidget*>() : nullptr;
        if (table == nullptr) {
            return;
        }
        const bool readOnly = table->editTriggers() == QAbstractItemView::NoEditTriggers;
        seen << window->windowTitle() << (readOnly ? "read-only" : "editable");
        for (int r = 0; r < table->rowCount(); ++r) {
            seen << table->item(r, 0)->text() + ": " + table->item(r, 1)->text();
        }
        window->close();
    });
    poll.start(20);
    std::uintptr_t window = 0;
    // The dismiss callback hears of the closed window with the caller's context.
    std::vector<std::pair<std::uintptr_t, void*>> dismissed;
    const DismissCallback dismiss = [](std::uintptr_t param, void* context) {
        static_cast<decltype(dismissed)*>(context)->emplace_back(param, context);
    };
    const std::vector<BYTE> id = opened.ListAll().at(0).entryId;
    EXPECT_EQ(opened.book->Details(&window, dismiss, &dismissed, 8, id.data(), nullptr, nullptr,
                                   nullptr, 0),
              S_OK);
    EXPECT_EQ(dismissed, (decltype(dismissed){{0, &dismissed}}));
    // The book itself and a cut id have no details; no window is shown.
    for (const ULONG size : {8u, 4u}) {
        const std::vector<BYTE> bad = size == 8 ? kPabId : id;
        EXPECT_EQ(opened.book->Details(&window, dismiss, &dismissed, size, bad.data(), nullptr,
                                       nullptr, nullptr, 0),
                  MAPI_E_INVALID_ENTRYID)
            << size;
    }
    EXPECT_EQ(dismissed.size(), 1u);
    EXPECT_EQ(seen.join('\n').toStdString(),
              "Ada Lovelace Properties\n"
              "read-only\n"
              "Display name: Ada Lovelace\n"
              "E-mail addresses: ada@x.example\na@y.example\n"
              "Notes: Not\u00e9\n"
              "Property 0x3ffd0003: 12");
}
