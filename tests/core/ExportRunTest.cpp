#include "core/EntryRef.h"
#include "core/ExportRun.h"
#include "core/ValueEncoding.h"
#include "platform/FileError.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using testing_support::PropArray;
using testing_support::RecordingFile;

namespace {

using Log = std::vector<std::string>;

// A list of items, some selected; each item's data is an EntryRef.
class FakeList : public ListControl {
  public:
    explicit FakeList(std::vector<EntryRef*> data, std::vector<bool> selected = {})
        : m_data(std::move(data)), m_selected(std::move(selected)) {
        m_selected.resize(m_data.size(), false);
    }
    int GetNextItem(int start, unsigned flags) const override {
        for (std::size_t i = static_cast<std::size_t>(start + 1); i < m_data.size(); ++i) {
            if ((flags & LVNI_SELECTED) == 0 || m_selected[i]) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    EntryRef* GetItemData(int index) const override { return m_data.at(index); }
    int GetItemCount() const override { return static_cast<int>(m_data.size()); }
    int InsertItem(int, const char*, EntryRef*) override { return -1; }
    void DeleteAllItems() override {}

  private:
    std::vector<EntryRef*> m_data;
    std::vector<bool> m_selected;
};

// Five contacts a to e, whose display names are their names, and a progress
// bar; every call to either is logged. An entry in `unreadable` fails to read.
struct Book : ContactSource, ProgressControl {
    Log log;
    EntryRef refs[5]{};
    PropArray props[5];
    std::set<const EntryRef*> unreadable;
    const EntryRef* current = nullptr;
    bool logEntries = true;

    Book() {
        for (int i = 0; i < 5; ++i) {
            props[i].Str(0x3001001E, std::string(1, static_cast<char>('a' + i)));
        }
    }
    std::vector<EntryRef*> All(int n) {
        std::vector<EntryRef*> all;
        for (int i = 0; i < n; ++i) {
            all.push_back(&refs[i]);
        }
        return all;
    }
    void Note(const std::string& call) {
        if (logEntries) {
            log.push_back(call);
        }
    }
    void SetCurrentEntry(const EntryRef* entry) override {
        if (entry != nullptr) {
            current = entry;
            Note("set " + std::string(1, static_cast<char>('a' + (entry - refs))));
        }
    }
    bool ReadProperties() override {
        Note("read");
        return current != nullptr && unreadable.count(current) == 0;
    }
    const SPropValue* CurrentProps() const override { return props[current - refs].data(); }
    ULONG CurrentPropCount() const override { return props[current - refs].size(); }
    void SetRange(std::uint16_t lower, std::uint16_t upper) override {
        log.push_back("range " + std::to_string(lower) + " " + std::to_string(upper));
    }
    void SetPos(int position) override { log.push_back("pos " + std::to_string(position)); }
    void EnableWindow(bool enable) override { log.push_back(enable ? "enable" : "disable"); }
};

std::size_t ExportRun(bool csv, OutputFile& file, const FakeList& list, ExportScope scope,
                      Book& book) {
    return csv ? ExportCsv(file, list, scope, book, book)
               : ExportVCards(file, list, scope, book, book);
}

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
        Book book;
        FakeList list(book.All(3));
        RecordingFile file;
        EXPECT_EQ(ExportRun(csv, file, list, LVNI_ALL, book), 0u);
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
        Book book;
        RecordingFile file;
        ExportRun(csv, file, FakeList(book.All(3)), LVNI_SELECTED, book);
        ExportRun(csv, file, FakeList({}), LVNI_ALL, book);
        EXPECT_TRUE(book.log.empty());
        EXPECT_TRUE(file.writes().empty());
    }
}

TEST(ExportRunTest, SelectedItemsAreExportedInListOrder) {
    Book book;
    RecordingFile file;
    // Only the low 16 bits of the scope are search flags.
    ExportRun(false, file, FakeList(book.All(5), {false, true, false, true, true}),
              0x10000 | LVNI_SELECTED, book);
    EXPECT_EQ(file.text(), VCard("b") + VCard("d") + VCard("e"));
    EXPECT_EQ(book.log.front(), "range 0 3");
}

TEST(ExportRunTest, RangeCarriesTheLowSixteenBitsOfTheCount) {
    Book book;
    book.logEntries = false;
    RecordingFile file;
    ExportRun(true, file, FakeList(std::vector<EntryRef*>(65536, &book.refs[0])), LVNI_ALL, book);
    ASSERT_EQ(book.log.size(), 65536u + 4u);
    EXPECT_EQ(Log(book.log.begin(), book.log.begin() + 3), (Log{"range 0 0", "enable", "pos 1"}));
    EXPECT_EQ(Log(book.log.end() - 3, book.log.end()), (Log{"pos 65536", "disable", "pos 0"}));
}

TEST(ExportRunTest, EachCsvRowStartsFromAnEmptyEmailList) {
    Book book;
    book.props[0].Multi(PR_CONTACT_EMAIL_ADDRESSES, {"x", "y"});
    RecordingFile file;
    ExportRun(true, file, FakeList(book.All(2)), LVNI_ALL, book);
    EXPECT_EQ(file.text(), CsvRow("a", "y\x06x") + CsvRow("b"));
}

TEST(ExportRunTest, UnreadableItemsAreLeftOutAndCounted) {
    for (const bool csv : {false, true}) {
        Book book;
        book.unreadable.insert(&book.refs[1]);
        std::vector<EntryRef*> items = book.All(4);
        items[3] = nullptr;  // an item without an entry
        RecordingFile file;
        EXPECT_EQ(ExportRun(csv, file, FakeList(items), LVNI_ALL, book), 2u);
        EXPECT_EQ(file.text(), csv ? CsvRow("a") + CsvRow("c") : VCard("a") + VCard("c"));
    }
}

TEST(ExportRunTest, WriteFailureEndsTheRunAndLeavesTheBarAsItWas) {
    for (const bool csv : {false, true}) {
        Book book;
        // A write of the second contact: 9 writes make a block, 24 a row.
        RecordingFile file(csv ? 30 : 12);
        EXPECT_THROW(ExportRun(csv, file, FakeList(book.All(3)), LVNI_ALL, book), FileError);
        Log expected{"range 0 3", "pos 1", "set a", "read", "pos 2", "set b", "read"};
        if (csv) {
            expected.insert(expected.begin() + 1, "enable");
        }
        EXPECT_EQ(book.log, expected) << csv;
        EXPECT_EQ(file.text().rfind(csv ? CsvRow("a") : VCard("a"), 0), 0u);
        EXPECT_FALSE(quotedPrintableMode);
    }
}
