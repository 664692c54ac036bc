#include "WabTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace wabtest;

// Names stored in a shuffled order, with case variants, equal names, bytes
// above 0x7F and an empty name.
const std::string kNames[] = {"Zed", "bob", "Team",  "Alice", "\xC3\xA9loise", "Bob",
                              "",    "Zed", "alice", "Z",     "Other"};
// Mail users (6), but Team is a distribution list and Other of a type the
// library does not know.
const ULONG kTypes[] = {6, 6, MAPI_DISTLIST, 6, 6, 6, 6, 6, 6, 6, 7};
// The listing: ASCII letters without case, then the raw bytes; equal names
// in stored order.
const std::size_t kListed[] = {6, 3, 8, 5, 1, 10, 2, 9, 0, 7, 4};

std::string BookJson() {
    std::string json;
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
        json.append(json.empty() ? "" : ",").append(R"({"type": )");
        json.append(std::to_string(kTypes[i])).append(R"(, "props": [{"tag": "0x3001001E", )");
        json.append(R"("value": ")").append(kNames[i]).append(R"("}, {"tag": "0x3A06001E", )");
        json.append(R"("value": "stored )").append(std::to_string(i)).append(R"("}]})");
    }
    return R"({"entries": [)" + json + "]}";
}

class ContentsTableTest : public ::testing::Test {
  protected:
    TempDir m_dir;
    OpenedBook m_opened{CreateBook(m_dir / "order.wab", BookJson())};
};

TEST_F(ContentsTableTest, RowsComeInDisplayNameOrderAndOpenTheirEntries) {
    ASSERT_EQ(m_opened.hr, S_OK);
    const std::vector<ListedRow> rows = m_opened.ListAll();
    ASSERT_EQ(rows.size(), std::size(kListed));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].name, kNames[kListed[i]]);
        EXPECT_EQ(rows[i].objectType, kTypes[kListed[i]]);
        const EntryProps entry = m_opened.Read(rows[i].entryId);
        EXPECT_EQ(entry.hr, S_OK);
        EXPECT_EQ(entry.type, kTypes[kListed[i]]);
        const std::vector<std::string> props{"3001001E " + kNames[kListed[i]],
                                             "3A06001E stored " + std::to_string(kListed[i])};
        EXPECT_EQ(entry.Shown(), props);
    }
}

TEST_F(ContentsTableTest, ColumnsInTheOrderSetSeekingAndTheEnd) {
    ASSERT_EQ(m_opened.hr, S_OK);
    IMAPITable* table = m_opened.ContentsTable();
    ASSERT_NE(table, nullptr);
    const SPropTagArray noTags{1, nullptr};
    EXPECT_EQ(table->SetColumns(&noTags, 0), MAPI_E_INVALID_PARAMETER);
    const ULONG tags[] = {PR_OBJECT_TYPE, 0x3A06001E, 0x3A11001E, PR_DISPLAY_NAME_A, PR_ENTRYID};
    const SPropTagArray columns{5, tags};
    ASSERT_EQ(table->SetColumns(&columns, 0), S_OK);
    SRowSet* rows = nullptr;
    ASSERT_EQ(table->QueryRows(1, 0, &rows), S_OK);
    ASSERT_EQ(rows->cRows, 1u);
    // The entry with the empty name; it has no surname.
    const std::vector<std::string> first{"0FFE0003 6", "3A06001E stored 6", "3A11000A -2147221233",
                                         "3001001E ", "0FFF0102 5157424501000000"};
    EXPECT_EQ(Show(rows->aRow[0].lpProps, rows->aRow[0].cValues), first);
    FreeRows(m_opened.wab, rows);

    // Two rows skipped from the current one, then the rest, then an empty set.
    LONG sought = -1;
    ASSERT_EQ(table->SeekRow(1, 2, &sought), S_OK);
    EXPECT_EQ(sought, 2);
    ASSERT_EQ(table->QueryRows(100, 0, &rows), S_OK);
    ASSERT_EQ(rows->cRows, std::size(kListed) - 3);
    EXPECT_EQ(std::string(rows->aRow[0].lpProps[1].Value.lpszA), "stored 5");
    FreeRows(m_opened.wab, rows);
    for (LONG count : {100, 0}) {
        ASSERT_EQ(table->QueryRows(1, 0, &rows), S_OK);
        EXPECT_EQ(rows->cRows, 0u);
        FreeRows(m_opened.wab, rows);
        // From the beginning: as many rows as asked for, or as there are.
        ASSERT_EQ(table->SeekRow(BOOKMARK_BEGINNING, count, &sought), S_OK);
        EXPECT_EQ(sought, std::min<LONG>(count, std::size(kListed)));
    }
    ASSERT_EQ(table->QueryRows(1, 0, &rows), S_OK);
    ASSERT_EQ(rows->cRows, 1u);
    EXPECT_STREQ(rows->aRow[0].lpProps[1].Value.lpszA, "stored 6");
    FreeRows(m_opened.wab, rows);
    table->Release();
}

TEST_F(ContentsTableTest, BadEntryIdsOpenNothing) {
    const std::pair<std::vector<BYTE>, HRESULT> cases[] = {
        {{'Q', 'W', 'B', 'E', 1, 0, 0}, MAPI_E_INVALID_ENTRYID},     // too short
        {{'X', 'W', 'B', 'E', 1, 0, 0, 0}, MAPI_E_INVALID_ENTRYID},  // wrong magic
        {{'Q', 'W', 'B', 'Z', 1, 0, 0, 0}, MAPI_E_INVALID_ENTRYID},  // unknown kind
        {{'Q', 'W', 'B', 'E', 0, 0, 0, 0}, MAPI_E_INVALID_ENTRYID},  // entry zero
        {{'Q', 'W', 'B', 'P', 1, 0, 0, 0}, MAPI_E_INVALID_ENTRYID},  // container with a row
        {{'Q', 'W', 'B', 'E', 200, 0, 0, 0}, MAPI_E_NOT_FOUND},
    };
    for (const auto& [id, hr] : cases) {
        IUnknown* unk = reinterpret_cast<IUnknown*>(0x1);
        ULONG type = 99;
        EXPECT_EQ(m_opened.book->OpenEntry(static_cast<ULONG>(id.size()), id.data(), nullptr, 0,
                                           &type, &unk),
                  hr);
        EXPECT_TRUE(unk == nullptr && type == 0) << id[4];
    }
}

// The personal address book's own properties: its name, type and entry id.
TEST_F(ContentsTableTest, ContainerDescribesItself) {
    const EntryProps container = m_opened.Read(m_opened.PabId());
    EXPECT_EQ(container.type, MAPI_ABCONT);
    const std::vector<std::string> props{"3001001E Personal Address Book", "0FFE0003 4",
                                         "0FFF0102 5157425000000000"};
    EXPECT_EQ(container.Shown(), props);
}

}  // namespace
