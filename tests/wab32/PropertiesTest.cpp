#include "WabTestSupport.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using namespace wabtest;
namespace fs = std::filesystem;

// Every stored type, repeated tags, order, bytes 0x80-0xFF, CR and LF bytes
// and empty values.
constexpr const char* kEveryType = R"({"entries": [{"type": "mailuser", "props": [
  {"tag": "0x3A06001E", "value": "Zo\u00eb"},
  {"tag": "0x3001001E", "hex": "80FF0D0A0D0AC3A9"},
  {"tag": "0x3004001E", "value": "line 1\r\nline 2\rline 3\n"},
  {"tag": "0x3A44001E", "value": ""},
  {"tag": "0x3A56101E", "values": ["a@x.example", "", "A@X.EXAMPLE"]},
  {"tag": "0x3A420040", "filetime": "0x01BE37D1A2B3C4D5"},
  {"tag": "0x0FF90102", "hex": "00FF0010"},
  {"tag": "0x0FF80102", "hex": ""},
  {"tag": "0x3FFD0003", "int": -7},
  {"tag": "0x3A56101E", "values": []},
  {"tag": "0x3A06001E", "value": "Second given name"}
]}]})";

// The file's bytes and modification time, and the number of files beside it.
auto StateOf(const fs::path& file) {
    return std::make_tuple(ReadFile(file), fs::last_write_time(file), FilesIn(file.parent_path()));
}

class PropertiesTest : public ::testing::Test {
  protected:
    TempDir m_dir;
    fs::path m_file = CreateBook(m_dir / "props.wab", kEveryType);
};

TEST_F(PropertiesTest, ReadsEveryTypeExactlyAndLeavesTheBookUntouched) {
    const auto before = StateOf(m_file);
    {
        OpenedBook opened(m_file);
        ASSERT_EQ(opened.hr, S_OK);
        const std::vector<BYTE> id = opened.ListAll().at(0).entryId;
        const EntryProps entry = opened.Read(id);
        ASSERT_EQ(entry.hr, S_OK);
        const std::vector<std::string> expected{"3A06001E Zo\xC3\xAB",
                                                "3001001E \x80\xFF\r\n\r\n\xC3\xA9",
                                                "3004001E line 1\r\nline 2\rline 3\n",
                                                "3A44001E ",
                                                "3A56101E a@x.example||A@X.EXAMPLE|",
                                                "3A420040 " + std::to_string(0x01BE37D1A2B3C4D5ull),
                                                "0FF90102 00FF0010",
                                                "0FF80102 ",
                                                "3FFD0003 -7",
                                                "3A56101E ",
                                                "3A06001E Second given name"};
        EXPECT_EQ(entry.props, expected);
        // A tag list selects, reports missing ones, and a type-less tag gives
        // the last of a repeated property.
        const ULONG tags[] = {0x3FFD0003, PR_SURNAME, PROP_TAG(0, 0x3A06)};
        const SPropTagArray list{3, tags};
        const EntryProps some = opened.Read(id, &list);
        EXPECT_EQ(some.hr, MAPI_W_ERRORS_RETURNED);
        const std::vector<std::string> selected{"3FFD0003 -7", "3A11000A -2147221233",
                                                "3A06001E Second given name"};
        EXPECT_EQ(some.props, selected);
        // While the book is open, no journal or other file appears beside it.
        EXPECT_EQ(FilesIn(m_dir.path()), std::get<2>(before));
    }
    EXPECT_EQ(StateOf(m_file), before);
}

// Damage found in a row or an entry fails that call with a code.
TEST_F(PropertiesTest, DamagedEntriesFailTheCall) {
    // SQL, then the codes of listing and of reading the entry: a record whose
    // length runs past the end of the blob; empty text, not a blob, which is no
    // properties and not damage; a row id that no entry id can hold.
    const std::tuple<const char*, HRESULT, HRESULT> cases[] = {
        {"UPDATE entries SET props = x'1E00063AFF000000414243'", S_OK, MAPI_E_CORRUPT_DATA},
        {"UPDATE entries SET props = ''", S_OK, S_OK},
        {"UPDATE entries SET id = 4294967296", MAPI_E_CORRUPT_DATA, S_OK},
    };
    for (const auto& [sql, listed, read] : cases) {
        SCOPED_TRACE(sql);
        const fs::path file = m_dir / "damaged.wab";
        fs::copy_file(m_file, file, fs::copy_options::overwrite_existing);
        ExecSql(file, sql);
        OpenedBook opened(file);
        ASSERT_EQ(opened.hr, S_OK);
        for (const ListedRow& row : opened.ListAll()) {
            const EntryProps entry = opened.Read(row.entryId);
            EXPECT_EQ(entry.hr, read);
            EXPECT_TRUE(entry.props.empty());
        }
        EXPECT_EQ(opened.listEnd, listed);
    }
}

}  // namespace
