#include "WabTestSupport.h"

#include "addressbook/DisplayNameOrder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace wabtest;

// Names stored in a shuffled order, with case variants, equal names, bytes
// above 0x7F and an empty name; "Zed" twice (stored order breaks the tie).
const std::vector<std::pair<std::string, std::string>> kStored{
    {"mailuser", "5A6564"},        // Zed
    {"mailuser", "626F62"},        // bob
    {"distlist", "5465616D"},      // Team
    {"mailuser", "416C696365"},    // Alice
    {"mailuser", "E96C6F697365"},  // \xE9loise
    {"mailuser", "426F62"},        // Bob
    {"mailuser", ""},              // empty name
    {"mailuser", "5A6564"},        // Zed again
    {"mailuser", "616C696365"},    // alice
    {"mailuser", "5A"},            // Z
    {"7", "4F74686572"},           // Other, object type 7
};

std::string BookJson() {
    std::string json = R"({"entries": [)";
    for (std::size_t i = 0; i < kStored.size(); ++i) {
        const auto& [type, hex] = kStored[i];
        json += i == 0 ? "" : ",";
        json +=
            type == "7" ? R"({"type": 7, "props": [)" : R"({"type": ")" + type + R"(", "props": [)";
        json += R"({"tag": "0x3001001E", "hex": ")" + hex + R"("},)";
        json += R"({"tag": "0x3A06001E", "value": "stored )" + std::to_string(i) + R"("}]})";
    }
    json += "]}";
    return json;
}

std::string FromHex(const std::string& hex) {
    std::string s;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        s.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return s;
}

class ContentsTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateBook(m_dir / "order.wab", BookJson(), m_dir);
        ASSERT_EQ(OpenBook((m_dir / "order.wab").string(), &m_opened.book, &m_opened.wab), S_OK);
    }
    TempDir m_dir;
    OpenedBook m_opened;
};

TEST_F(ContentsTableTest, RowsComeInDisplayNameOrderWithObjectTypes) {
    std::vector<std::size_t> expected(kStored.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        expected[i] = i;
    }
    std::stable_sort(expected.begin(), expected.end(), [](std::size_t a, std::size_t b) {
        return CompareDisplayNames(FromHex(kStored[a].second), FromHex(kStored[b].second)) < 0;
    });
    const std::vector<ListedRow> rows = ListAll(m_opened);
    ASSERT_EQ(rows.size(), kStored.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& [type, hex] = kStored[expected[i]];
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].name, FromHex(hex));
        const ULONG want = type == "mailuser"   ? MAPI_MAILUSER
                           : type == "distlist" ? MAPI_DISTLIST
                                                : 7;
        EXPECT_EQ(rows[i].objectType, want);
        // The row's entry id opens that very entry (the tie of equal names
        // kept in stored order).
        IUnknown* unk = nullptr;
        ULONG objType = 0;
        ASSERT_EQ(m_opened.book->OpenEntry(static_cast<ULONG>(rows[i].entryId.size()),
                                           rows[i].entryId.data(), nullptr, 0, &objType, &unk),
                  S_OK);
        EXPECT_EQ(objType, want);
        auto* user = dynamic_cast<IMailUser*>(unk);
        ASSERT_NE(user, nullptr);
        ULONG count = 0;
        SPropValue* props = nullptr;
        ASSERT_EQ(user->GetProps(nullptr, 0, &count, &props), S_OK);
        ASSERT_EQ(count, 2u);
        EXPECT_EQ(std::string(props[1].Value.lpszA), "stored " + std::to_string(expected[i]));
        m_opened.wab->FreeBuffer(props);
        user->Release();
    }
}

TEST_F(ContentsTableTest, ColumnsInTheOrderSetWithMissingOnesAsErrors) {
    IMAPITable* table = m_opened.ContentsTable();
    ASSERT_NE(table, nullptr);
    const ULONG tags[] = {PR_OBJECT_TYPE, 0x3A06001E, 0x3A11001E, PR_DISPLAY_NAME_A, PR_ENTRYID};
    const SPropTagArray columns{5, tags};
    ASSERT_EQ(table->SetColumns(&columns, 0), S_OK);
    SRowSet* rows = nullptr;
    ASSERT_EQ(table->QueryRows(4, 0, &rows), S_OK);
    ASSERT_EQ(rows->cRows, 4u);
    // The first row is the entry with the empty name (stored 6).
    const SRow& first = rows->aRow[0];
    ASSERT_EQ(first.cValues, 5u);
    EXPECT_EQ(first.lpProps[0].ulPropTag, PR_OBJECT_TYPE);
    EXPECT_EQ(first.lpProps[0].Value.l, static_cast<LONG>(MAPI_MAILUSER));
    EXPECT_EQ(first.lpProps[1].ulPropTag, 0x3A06001Eu);
    EXPECT_STREQ(first.lpProps[1].Value.lpszA, "stored 6");
    EXPECT_EQ(first.lpProps[2].ulPropTag, PROP_TAG(PT_ERROR, 0x3A11));
    EXPECT_EQ(first.lpProps[2].Value.err, MAPI_E_NOT_FOUND);
    EXPECT_EQ(first.lpProps[3].ulPropTag, PR_DISPLAY_NAME_A);
    EXPECT_STREQ(first.lpProps[3].Value.lpszA, "");
    EXPECT_EQ(first.lpProps[4].ulPropTag, PR_ENTRYID);
    EXPECT_EQ(first.lpProps[4].Value.bin.cb, 8u);
    for (ULONG i = 0; i < rows->cRows; ++i) {
        m_opened.wab->FreeBuffer(rows->aRow[i].lpProps);
    }
    m_opened.wab->FreeBuffer(rows);

    // The rest, then an empty set at the end, again and again.
    ASSERT_EQ(table->QueryRows(100, 0, &rows), S_OK);
    EXPECT_EQ(rows->cRows, kStored.size() - 4);
    for (ULONG i = 0; i < rows->cRows; ++i) {
        m_opened.wab->FreeBuffer(rows->aRow[i].lpProps);
    }
    m_opened.wab->FreeBuffer(rows);
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(table->QueryRows(1, 0, &rows), S_OK);
        EXPECT_EQ(rows->cRows, 0u);
        m_opened.wab->FreeBuffer(rows);
    }
    // SeekRow rewinds to the first row.
    LONG sought = -1;
    ASSERT_EQ(table->SeekRow(BOOKMARK_BEGINNING, 0, &sought), S_OK);
    EXPECT_EQ(sought, 0);
    ASSERT_EQ(table->QueryRows(1, 0, &rows), S_OK);
    ASSERT_EQ(rows->cRows, 1u);
    EXPECT_STREQ(rows->aRow[0].lpProps[1].Value.lpszA, "stored 6");
    m_opened.wab->FreeBuffer(rows->aRow[0].lpProps);
    m_opened.wab->FreeBuffer(rows);
    table->Release();
}

TEST_F(ContentsTableTest, BadEntryIdsOpenNothing) {
    const struct {
        const char* name;
        std::vector<BYTE> id;
        HRESULT hr;
    } cases[] = {
        {"empty", {}, MAPI_E_INVALID_ENTRYID},
        {"too short", {'Q', 'W', 'B', 'E', 1, 0, 0}, MAPI_E_INVALID_ENTRYID},
        {"too long", {'Q', 'W', 'B', 'E', 1, 0, 0, 0, 0}, MAPI_E_INVALID_ENTRYID},
        {"wrong magic", {'X', 'W', 'B', 'E', 1, 0, 0, 0}, MAPI_E_INVALID_ENTRYID},
        {"unknown kind", {'Q', 'W', 'B', 'Z', 1, 0, 0, 0}, MAPI_E_INVALID_ENTRYID},
        {"entry zero", {'Q', 'W', 'B', 'E', 0, 0, 0, 0}, MAPI_E_INVALID_ENTRYID},
        {"container with a row", {'Q', 'W', 'B', 'P', 1, 0, 0, 0}, MAPI_E_INVALID_ENTRYID},
        {"no such entry", {'Q', 'W', 'B', 'E', 200, 0, 0, 0}, MAPI_E_NOT_FOUND},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IUnknown* unk = reinterpret_cast<IUnknown*>(0x1);
        ULONG type = 99;
        EXPECT_EQ(m_opened.book->OpenEntry(static_cast<ULONG>(c.id.size()), c.id.data(), nullptr, 0,
                                           &type, &unk),
                  c.hr);
        EXPECT_EQ(unk, nullptr);
        EXPECT_EQ(type, 0u);
    }
}

}  // namespace
