#include "WabTestSupport.h"
#include "wab32/BookFile.h"

#include <gtest/gtest.h>

namespace {

using namespace wabtest;

// Shuffled names: case variants, equal names, bytes above 0x7F, an empty one;
// Team is a distribution list, Other of a type the library does not know.
const std::pair<std::string, ULONG> kStored[] = {
    {"Zed", 6},   {"bob", 6},           {"Team", MAPI_DISTLIST},
    {"Alice", 6}, {"\xC3\xA9loise", 6}, {"Bob", 6},
    {"", 6},      {"Zed", 6},           {"alice", 6},
    {"Z", 6},     {"Other", 7}};
// The listing: ASCII letters without case, then the raw bytes; equal names
// in stored order.
const std::size_t kListed[] = {6, 3, 8, 5, 1, 10, 2, 9, 0, 7, 4};

std::string BookJson() {
    std::string json = R"({"entries": [)";
    for (std::size_t i = 0; i < std::size(kStored); ++i) {
        json += (i == 0 ? R"({"type": )" : R"(, {"type": )") + std::to_string(kStored[i].second) +
                R"(, "props": [{"tag": "0x3001001E", "value": ")" + kStored[i].first +
                R"("}, {"tag": "0x3A06001E", "value": "stored )" + std::to_string(i) + R"("}]})";
    }
    return json + "]}";
}

class ContentsTableTest : public ::testing::Test {
  protected:
    TempDir m_dir;
    OpenedBook m_opened{CreateBook(m_dir / "order.wab", BookJson())};
};

TEST_F(ContentsTableTest, RowsComeInDisplayNameOrderAndOpenTheirEntries) {
    const std::vector<ListedRow> rows = m_opened.ListAll();
    ASSERT_EQ(rows.size(), std::size(kListed));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& [name, type] = kStored[kListed[i]];
        const EntryProps entry = m_opened.Read(rows[i].entryId);
        EXPECT_EQ(rows[i].name, name);
        EXPECT_TRUE(rows[i].objectType == type && entry.type == type) << i;
        const std::vector<std::string> props{"3001001E " + name,
                                             "3A06001E stored " + std::to_string(kListed[i])};
        EXPECT_EQ(entry.props, props);
    }
}

TEST_F(ContentsTableTest, ColumnsInTheOrderSetSeekingAndTheEnd) {
    IMAPITable* table = m_opened.ContentsTable();
    const SPropTagArray noTags{1, nullptr};
    EXPECT_EQ(table->SetColumns(&noTags, 0), MAPI_E_INVALID_PARAMETER);
    const ULONG tags[] = {PR_OBJECT_TYPE, PR_GIVEN_NAME, PR_SURNAME, PR_DISPLAY_NAME_A, PR_ENTRYID};
    const SPropTagArray columns{5, tags};
    ASSERT_EQ(table->SetColumns(&columns, 0), S_OK);
    // The number of rows QueryRows gives, then the last one's columns.
    const auto query = [&](LONG count) {
        SRowSet* rows = nullptr;
        EXPECT_EQ(table->QueryRows(count, 0, &rows), S_OK);
        std::string shown = std::to_string(rows->cRows) + " rows";
        if (rows->cRows > 0) {
            const SRow& last = rows->aRow[rows->cRows - 1];
            for (const std::string& value : Show(last.lpProps, last.cValues)) {
                shown += ", " + value;
            }
        }
        m_opened.FreeRows(rows);
        return shown;
    };
    // The entry with the empty name; it has no surname.
    const std::string first =
        "1 rows, 0FFE0003 6, 3A06001E stored 6, 3A11000A -2147221233, 3001001E , 0FFF0102 "
        "5157424501000000";
    EXPECT_EQ(query(1), first);
    // Two rows skipped from the current one, then the rest; from the
    // beginning, as many rows as there are, or none.
    LONG sought = -1;
    EXPECT_TRUE(table->SeekRow(1, 2, &sought) == S_OK && sought == 2);
    EXPECT_EQ(
        query(100),
        "8 rows, 0FFE0003 6, 3A06001E stored 4, 3A11000A -2147221233, 3001001E \xC3\xA9loise, "
        "0FFF0102 515742450B000000");
    EXPECT_TRUE(table->SeekRow(BOOKMARK_BEGINNING, 100, &sought) == S_OK && sought == 11);
    EXPECT_EQ(query(1), "0 rows");
    SRowSet* none = nullptr;  // asking for no rows is a mistake
    EXPECT_EQ(table->QueryRows(0, 0, &none), MAPI_E_INVALID_PARAMETER);
    EXPECT_TRUE(table->SeekRow(BOOKMARK_BEGINNING, 0, &sought) == S_OK && sought == 0);
    EXPECT_EQ(query(1), first);
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
        const EntryProps entry = m_opened.Read(id);
        EXPECT_TRUE(entry.hr == hr && entry.type == 0 && entry.props.empty()) << id[3] << id[4];
    }
}

// The personal address book's own properties: its name, type and entry id.
TEST_F(ContentsTableTest, ContainerDescribesItself) {
    const EntryProps container = m_opened.Read(kPabId);
    EXPECT_EQ(container.type, MAPI_ABCONT);
    const std::vector<std::string> props{"3001001E Personal Address Book", "0FFE0003 4",
                                         "0FFF0102 5157425000000000"};
    EXPECT_EQ(container.props, props);
}

// The index check sums terms reduced below 2^31, so no book can overflow it
// (plain sums of products did past 25 million entries): rows at the limits
// of 64 bits still compare equal through the index and the table.
TEST(IndexCheckTest, SumsCannotOverflow) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    const std::string rows = std::string(wab32::kBookSchemaSql) +
                             "INSERT INTO entries VALUES (9223372036854775807, 1, "
                             "9223372036854775807, '', x'', x''), (9223372036854775806, 2, "
                             "9223372036854775807, '', x'', x'');";
    ASSERT_EQ(sqlite3_exec(db, rows.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_TRUE(wab32::IndexListsTheTable(db));
    sqlite3_close(db);
}

}  // namespace
