#include "core/EntryRef.h"
#include "core/ExportRun.h"
#include "core/ValueEncoding.h"
#include "platform/FileError.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
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
    EntryRef* GetItemData(int index) const override {
        return index >= 0 && static_cast<std::size_t>(index) < m_data.size() ? m_data[index]
                                                                             : nullptr;
    }
    int GetItemCount() const override { return static_cast<int>(m_data.size()); }
    int InsertItem(int, const char*, EntryRef*) override { return -1; }
    void DeleteAllItems() override {}

  private:
    std::vector<EntryRef*> m_data;
    std::vector<bool> m_selected;
};

class RecordingProgress : public ProgressControl {
  public:
    explicit RecordingProgress(Log& log) : m_log(log) {}
    void SetRange(std::uint16_t lower, std::uint16_t upper) override {
        m_log.push_back("range " + std::to_string(lower) + " " + std::to_string(upper));
    }
    void SetPos(int position) override { m_log.push_back("pos " + std::to_string(position)); }
    void EnableWindow(bool enable) override { m_log.push_back(enable ? "enable" : "disable"); }

  private:
    Log& m_log;
};

// Contacts by entry; an entry listed in unreadable fails to read.
class FakeSource : public ContactSource {
  public:
    explicit FakeSource(Log& log) : m_log(log) {}
    void Add(EntryRef* entry, const std::string& name, PropArray props) {
        m_names[entry] = name;
        m_contacts[entry] = std::move(props);
    }
    void MakeUnreadable(EntryRef* entry) { m_unreadable[entry] = true; }
    void SetCurrentEntry(const EntryRef* entry) override {
        if (entry != nullptr) {
            m_current = entry;
            if (m_logEntries) {
                m_log.push_back("set " + m_names[entry]);
            }
        }
    }
    bool ReadProperties() override {
        if (m_logEntries) {
            m_log.push_back("read");
        }
        if (m_current == nullptr || m_unreadable[m_current]) {
            return false;
        }
        m_props = &m_contacts[m_current];
        return true;
    }
    const SPropValue* CurrentProps() const override { return m_props ? m_props->data() : nullptr; }
    ULONG CurrentPropCount() const override { return m_props ? m_props->size() : 0; }
    bool m_logEntries = true;

  private:
    Log& m_log;
    std::map<const EntryRef*, std::string> m_names;
    std::map<const EntryRef*, PropArray> m_contacts;
    std::map<const EntryRef*, bool> m_unreadable;
    const EntryRef* m_current = nullptr;
    const PropArray* m_props = nullptr;
};

// Three contacts a, b, c whose display names are their names.
struct Book {
    Log log;
    EntryRef refs[5]{};
    FakeSource source{log};
    RecordingProgress progress{log};
    Book() {
        const char* names[] = {"a", "b", "c", "d", "e"};
        for (int i = 0; i < 5; ++i) {
            source.Add(&refs[i], names[i], PropArray().Str(0x3001001E, names[i]));
        }
    }
    std::vector<EntryRef*> All(int n) {
        std::vector<EntryRef*> all;
        for (int i = 0; i < n; ++i) {
            all.push_back(&refs[i]);
        }
        return all;
    }
};

std::string VCard(const std::string& name) {
    return "BEGIN:VCARD\nVERSION:2.1\nN:;" + name + ";;;\nFN:" + name + "\nEND:VCARD\n";
}
std::string CsvRow(const std::string& name, const std::string& email = "") {
    return "\"" + name + "\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"" + email + "\",\"\",\"\"\n";
}

}  // namespace

TEST(ExportRunTest, VCardRunAnnouncesEachItemBeforeReadingItAndEndsAtZero) {
    Book book;
    FakeList list(book.All(3));
    RecordingFile file;
    EXPECT_EQ(ExportVCards(file, list, LVNI_ALL, book.progress, book.source), 0u);
    EXPECT_EQ(book.log, (Log{"range 0 3", "pos 1", "set a", "read", "pos 2", "set b", "read",
                             "pos 3", "set c", "read", "pos 0"}));
    EXPECT_EQ(file.text(), VCard("a") + VCard("b") + VCard("c"));
}

TEST(ExportRunTest, CsvRunEnablesTheBarForTheWalkAndDisablesItBeforeZero) {
    Book book;
    FakeList list(book.All(3));
    RecordingFile file;
    EXPECT_EQ(ExportCsv(file, list, LVNI_ALL, book.progress, book.source), 0u);
    EXPECT_EQ(book.log, (Log{"range 0 3", "enable", "pos 1", "set a", "read", "pos 2", "set b",
                             "read", "pos 3", "set c", "read", "disable", "pos 0"}));
    EXPECT_EQ(file.text(), CsvRow("a") + CsvRow("b") + CsvRow("c"));
}

TEST(ExportRunTest, NothingCoveredMeansNoProgressMessageAndNoOutput) {
    using RunFunction = std::size_t (*)(OutputFile&, const ListControl&, ExportScope,
                                        ProgressControl&, ContactSource&);
    for (RunFunction run :
         {static_cast<RunFunction>(ExportVCards), static_cast<RunFunction>(ExportCsv)}) {
        Book book;
        FakeList none(book.All(3));
        FakeList empty({});
        RecordingFile file;
        run(file, none, LVNI_SELECTED, book.progress, book.source);
        run(file, empty, LVNI_ALL, book.progress, book.source);
        EXPECT_TRUE(book.log.empty());
        EXPECT_TRUE(file.writes().empty());
    }
}

TEST(ExportRunTest, SelectedItemsAreExportedInListOrder) {
    Book book;
    FakeList list(book.All(5), {false, true, false, true, true});
    RecordingFile file;
    // Only the low 16 bits of the scope are search flags.
    ExportVCards(file, list, 0x10000 | LVNI_SELECTED, book.progress, book.source);
    EXPECT_EQ(file.text(), VCard("b") + VCard("d") + VCard("e"));
    EXPECT_EQ(book.log.front(), "range 0 3");
}

TEST(ExportRunTest, RangeCarriesTheLowSixteenBitsOfTheCount) {
    Log log;
    EntryRef ref{};
    FakeSource source(log);
    source.Add(&ref, "x", PropArray());
    source.m_logEntries = false;
    RecordingProgress progress(log);
    FakeList list(std::vector<EntryRef*>(65536, &ref));
    RecordingFile file;
    ExportCsv(file, list, LVNI_ALL, progress, source);
    ASSERT_EQ(log.size(), 65536u + 4u);
    EXPECT_EQ(log[0], "range 0 0");
    EXPECT_EQ(log[1], "enable");
    EXPECT_EQ(log[2], "pos 1");
    EXPECT_EQ(log[65537], "pos 65536");
    EXPECT_EQ(log[65538], "disable");
    EXPECT_EQ(log[65539], "pos 0");
}

TEST(ExportRunTest, EachCsvRowStartsFromAnEmptyEmailList) {
    Book book;
    book.source.Add(&book.refs[0], "a",
                    PropArray().Str(0x3001001E, "a").Multi(PR_CONTACT_EMAIL_ADDRESSES, {"x", "y"}));
    FakeList list(book.All(2));
    RecordingFile file;
    ExportCsv(file, list, LVNI_ALL, book.progress, book.source);
    EXPECT_EQ(file.text(), CsvRow("a", "y\x06x") + CsvRow("b"));
}

TEST(ExportRunTest, UnreadableItemsAreLeftOutAndCounted) {
    Book book;
    book.source.MakeUnreadable(&book.refs[1]);
    std::vector<EntryRef*> items = book.All(4);
    items[3] = nullptr;  // an item without an entry
    FakeList list(items);
    RecordingFile vcards;
    EXPECT_EQ(ExportVCards(vcards, list, LVNI_ALL, book.progress, book.source), 2u);
    EXPECT_EQ(vcards.text(), VCard("a") + VCard("c"));
    RecordingFile rows;
    EXPECT_EQ(ExportCsv(rows, list, LVNI_ALL, book.progress, book.source), 2u);
    EXPECT_EQ(rows.text(), CsvRow("a") + CsvRow("c"));
}

TEST(ExportRunTest, WriteFailureEndsTheRunAndLeavesTheBarAsItWas) {
    struct Case {
        bool csv;
        int failAt;  // a write of the second contact (9 writes a block, 24 a row)
        Log tail;
    };
    const Case cases[] = {
        {false, 12, {"pos 2", "set b", "read"}},
        {true, 30, {"pos 2", "set b", "read"}},
    };
    for (const Case& c : cases) {
        Book book;
        FakeList list(book.All(3));
        RecordingFile file(c.failAt);
        EXPECT_THROW(c.csv ? ExportCsv(file, list, LVNI_ALL, book.progress, book.source)
                           : ExportVCards(file, list, LVNI_ALL, book.progress, book.source),
                     FileError);
        Log expected = c.csv ? Log{"range 0 3", "enable", "pos 1", "set a", "read"}
                             : Log{"range 0 3", "pos 1", "set a", "read"};
        expected.insert(expected.end(), c.tail.begin(), c.tail.end());
        EXPECT_EQ(book.log, expected) << c.csv;
        EXPECT_EQ(file.text().rfind(c.csv ? CsvRow("a") : VCard("a"), 0), 0u);
        EXPECT_FALSE(quotedPrintableMode);
    }
}
