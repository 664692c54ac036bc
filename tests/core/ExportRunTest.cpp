#include "core/ExportRun.h"
#include "core/ValueEncoding.h"
#include "platform/FileError.h"
#include "properties/EntryRef.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using testing_support::PropArray;
using testing_support::RecordingFile;

namespace {

using Log = std::vector<std::string>;

// A list of the first `count` of contacts a to e, their book and a progress bar,
// logging every call. An `unreadable` entry fails to read; a null item has none.
struct Book : ListControl, ContactSource, ProgressControl {
    Log log;
    EntryRef refs[5]{};
    PropArray props[5];
    std::vector<EntryRef*> items;
    std::vector<bool> selected;
    std::set<const EntryRef*> unreadable;
    const EntryRef* current = nullptr;

    explicit Book(int count) {
        for (int i = 0; i < 5; ++i) {
            props[i].Str(PR_DISPLAY_NAME_A, std::string(1, static_cast<char>('a' + i)));
        }
        for (int i = 0; i < count; ++i) {
            items.push_back(&refs[i]);
        }
    }
    int GetNextItem(int start, unsigned flags) const override {
        for (std::size_t i = static_cast<std::size_t>(start + 1); i < items.size(); ++i) {
            if ((flags & LVNI_SELECTED) == 0 || (i < selected.size() && selected[i])) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    EntryRef* GetItemData(int index) const override { return items.at(index); }
    int GetItemCount() const override { return static_cast<int>(items.size()); }
    int InsertItem(int, const char*, EntryRef*) override { return -1; }
    void DeleteAllItems() override {}
    void SetCurrentEntry(const EntryRef* entry) override {
        if (entry != nullptr) {
            current = entry;
            log.push_back("set " + std::string(1, static_cast<char>('a' + (entry - refs))));
        }
    }
    bool ReadProperties() override {
        log.push_back("read");
        return current != nullptr && unreadable.count(current) == 0;
    }
    const SPropValue* CurrentProps() const override { return props[current - refs].data(); }
    ULONG CurrentPropCount() const override { return props[current - refs].size(); }
    void SetRange(std::uint16_t lower, std::uint16_t upper) override {
        log.push_back("range " + std::to_string(lower) + " " + std::to_string(upper));
    }
    void SetPos(int position) override { log.push_back("pos " + std::to_string(position)); }
    void EnableWindow(bool enable) override { log.push_back(enable ? "enable" : "disable"); }
    std::vector<int> Export(bool csv, OutputFile& file, ExportScope scope = LVNI_ALL) {
        return csv ? ExportCsv(file, *this, scope, *this, *this)
                   : ExportVCards(file, *this, scope, *this, *this);
    }
};

std::string VCard(const std::string& name) {
    return "BEGIN:VCARD\nVERSION:2.1\nN:;" + name + ";;;\nFN:" + name + "\nEND:VCARD\n";
}
std::string CsvRow(const std::string& name, const std::string& email = "") {
    return "\"" + name + "\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"" + email + "\",\"\",\"\"\n";
}

}  // namespace

// Each item is announced on the bar before it is read; a CSV run enables the
// bar for the walk and disables it before the bar goes back to zero.
TEST(ExportRunTest, RunsAnnounceEachItemBeforeReadingItAndEndAtZero) {
    for (const bool csv : {false, true}) {
        Book book(3);
        RecordingFile file;
        EXPECT_TRUE(book.Export(csv, file).empty());
        Log expected{"range 0 3", "pos 1", "set a", "read", "pos 2", "set b",
                     "read",      "pos 3", "set c", "read", "pos 0"};
        if (csv) {
            expected.insert(expected.begin() + 1, "enable");
            expected.insert(expected.end() - 1, "disable");
        }
        EXPECT_EQ(book.log, expected);
        EXPECT_EQ(file.text(), csv ? CsvRow("a") + CsvRow("b") + CsvRow("c")
                                   : VCard("a") + VCard("b") + VCard("c"));
    }
}

TEST(ExportRunTest, NothingCoveredMeansNoProgressMessageAndNoOutput) {
    for (const bool csv : {false, true}) {
        Book book(3), empty(0);
        RecordingFile file;
        book.Export(csv, file, LVNI_SELECTED);
        empty.Export(csv, file);
        EXPECT_TRUE(book.log.empty() && empty.log.empty());
        EXPECT_TRUE(file.writes().empty());
    }
}

TEST(ExportRunTest, SelectedItemsAreExportedInListOrder) {
    Book book(5);
    book.selected = {false, true, false, true, true};
    RecordingFile file;
    // Only the low 16 bits of the scope are search flags.
    book.Export(false, file, 0x10000 | LVNI_SELECTED);
    EXPECT_EQ(file.text(), VCard("b") + VCard("d") + VCard("e"));
    EXPECT_EQ(book.log.front(), "range 0 3");
}

TEST(ExportRunTest, RangeCarriesTheLowSixteenBitsOfTheCount) {
    Book book(0);
    book.items.assign(65536, &book.refs[0]);
    RecordingFile file;
    book.Export(true, file);
    ASSERT_EQ(book.log.size(), 3 * 65536u + 4u);
    EXPECT_EQ(Log(book.log.begin(), book.log.begin() + 3), (Log{"range 0 0", "enable", "pos 1"}));
    EXPECT_EQ(Log(book.log.end() - 5, book.log.end()),
              (Log{"pos 65536", "set a", "read", "disable", "pos 0"}));
}

TEST(ExportRunTest, EachCsvRowStartsFromAnEmptyEmailList) {
    Book book(2);
    book.props[0].Multi(PR_CONTACT_EMAIL_ADDRESSES, {"x", "y"});
    RecordingFile file;
    book.Export(true, file);
    EXPECT_EQ(file.text(), CsvRow("a", "y\x06x") + CsvRow("b"));
}

TEST(ExportRunTest, UnreadableItemsAreLeftOutAndCounted) {
    for (const bool csv : {false, true}) {
        Book book(4);
        book.unreadable.insert(&book.refs[1]);
        book.items[3] = nullptr;
        RecordingFile file;
        EXPECT_EQ(book.Export(csv, file), (std::vector<int>{1, 3}));
        EXPECT_EQ(file.text(), csv ? CsvRow("a") + CsvRow("c") : VCard("a") + VCard("c"));
    }
}

TEST(ExportRunTest, WriteFailureEndsTheRunAndLeavesTheBarAsItWas) {
    for (const bool csv : {false, true}) {
        Book book(3);
        // Room for the first contact only.
        RecordingFile file(csv ? CsvRow("a").size() : VCard("a").size());
        EXPECT_THROW(book.Export(csv, file), FileError);
        Log expected{"range 0 3", "pos 1", "set a", "read", "pos 2", "set b", "read"};
        if (csv) {
            expected.insert(expected.begin() + 1, "enable");
        }
        EXPECT_EQ(book.log, expected) << csv;
        EXPECT_EQ(file.text(), csv ? CsvRow("a") : VCard("a"));
        EXPECT_FALSE(quotedPrintableMode);
    }
}
