#include "WabTestSupport.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace wabtest;

// Every stored type, repeated tags, order, bytes 0x80-0xFF, CR and LF bytes
// and empty values.
constexpr const char* kEveryType = R"({"entries": [{"type": "mailuser", "props": [
  {"tag": "0x3A06001E", "value": "Zo\u00eb"},
  {"tag": "0x3001001E", "hex": "80FF0D0A0D0AC3A9"},
  {"tag": "0x3004001E", "value": "line 1\r\nline 2\rline 3\n"},
  {"tag": "0x3A44001E", "value": ""},
  {"tag": "0x3A56101E", "values": ["a@x.example", "", "A@X.EXAMPLE"]},
  {"tag": "0x3A420040", "filetime": "0x01BE37D1A2B3C4D5"},
  {"tag": "0x3A420040", "filetime": "116501328000000000"},
  {"tag": "0x0FF90102", "hex": "00FF0010"},
  {"tag": "0x0FF80102", "hex": ""},
  {"tag": "0x3FFD0003", "int": -7},
  {"tag": "0x3FFC0003", "int": 4294967295},
  {"tag": "0x3A56101E", "values": []},
  {"tag": "0x3A06001E", "value": "Second given name"}
]}]})";

struct Expected {
    ULONG tag;
    std::string bytes;                // strings and binaries
    std::vector<std::string> values;  // multi-valued strings
    std::uint64_t filetime = 0;
    LONG integer = 0;
};

const std::vector<Expected> kExpected{
    {0x3A06001E, "Zo\xC3\xAB", {}},
    {0x3001001E, "\x80\xFF\r\n\r\n\xC3\xA9", {}},
    {0x3004001E, "line 1\r\nline 2\rline 3\n", {}},
    {0x3A44001E, "", {}},
    {0x3A56101E, "", {"a@x.example", "", "A@X.EXAMPLE"}},
    {0x3A420040, "", {}, 0x01BE37D1A2B3C4D5ull},
    {0x3A420040, "", {}, 116501328000000000ull},
    {0x0FF90102, std::string("\x00\xFF\x00\x10", 4), {}},
    {0x0FF80102, "", {}},
    {0x3FFD0003, "", {}, 0, -7},
    {0x3FFC0003, "", {}, 0, -1},
    {0x3A56101E, "", {}},
    {0x3A06001E, "Second given name", {}},
};

void ExpectProperty(const SPropValue& p, const Expected& e) {
    ASSERT_EQ(p.ulPropTag, e.tag);
    switch (PROP_TYPE(e.tag)) {
        case PT_STRING8:
            ASSERT_NE(p.Value.lpszA, nullptr);
            EXPECT_EQ(std::string(p.Value.lpszA, e.bytes.size() + 1),
                      e.bytes + std::string(1, '\0'));
            break;
        case PT_BINARY:
            ASSERT_EQ(p.Value.bin.cb, e.bytes.size());
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.Value.bin.lpb), p.Value.bin.cb),
                      e.bytes);
            break;
        case PT_MV_STRING8:
            ASSERT_EQ(p.Value.MVszA.cValues, e.values.size());
            for (std::size_t i = 0; i < e.values.size(); ++i) {
                EXPECT_EQ(std::string(p.Value.MVszA.lppszA[i]), e.values[i]);
            }
            break;
        case PT_SYSTIME:
            EXPECT_EQ(p.Value.ft.dwLowDateTime, static_cast<std::uint32_t>(e.filetime));
            EXPECT_EQ(p.Value.ft.dwHighDateTime, static_cast<std::uint32_t>(e.filetime >> 32));
            break;
        default:
            EXPECT_EQ(p.Value.l, e.integer);
    }
}

class PropertiesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_file = m_dir / "props.wab";
        CreateBook(m_file, kEveryType, m_dir);
    }
    IMailUser* OpenOnlyEntry(OpenedBook& opened) {
        const std::vector<ListedRow> rows = ListAll(opened);
        EXPECT_EQ(rows.size(), 1u);
        if (rows.empty()) {
            return nullptr;
        }
        IUnknown* unk = nullptr;
        ULONG type = 0;
        EXPECT_EQ(opened.book->OpenEntry(8, rows[0].entryId.data(), nullptr, 0, &type, &unk), S_OK);
        EXPECT_EQ(type, MAPI_MAILUSER);
        return dynamic_cast<IMailUser*>(unk);
    }
    TempDir m_dir;
    std::filesystem::path m_file;
};

TEST_F(PropertiesTest, GetPropsReturnsExactlyWhatTheSourceHeld) {
    OpenedBook opened;
    ASSERT_EQ(OpenBook(m_file.string(), &opened.book, &opened.wab), S_OK);
    IMailUser* user = OpenOnlyEntry(opened);
    ASSERT_NE(user, nullptr);
    ULONG count = 0;
    SPropValue* props = nullptr;
    ASSERT_EQ(user->GetProps(nullptr, 0, &count, &props), S_OK);
    ASSERT_EQ(count, kExpected.size());
    for (std::size_t i = 0; i < kExpected.size(); ++i) {
        SCOPED_TRACE(i);
        ExpectProperty(props[i], kExpected[i]);
    }
    // One FreeBuffer releases the records, strings, arrays and binaries.
    opened.wab->FreeBuffer(props);
    user->Release();
}

TEST_F(PropertiesTest, TagListSelectsAndReportsMissingOnes) {
    OpenedBook opened;
    ASSERT_EQ(OpenBook(m_file.string(), &opened.book, &opened.wab), S_OK);
    IMailUser* user = OpenOnlyEntry(opened);
    ASSERT_NE(user, nullptr);
    const ULONG tags[] = {0x3FFD0003, 0x3A11001E, PROP_TAG(0, 0x3A06)};
    const SPropTagArray list{3, tags};
    ULONG count = 0;
    SPropValue* props = nullptr;
    ASSERT_EQ(user->GetProps(&list, 0, &count, &props), MAPI_W_ERRORS_RETURNED);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(props[0].Value.l, -7);
    EXPECT_EQ(props[1].ulPropTag, PROP_TAG(PT_ERROR, 0x3A11));
    EXPECT_EQ(props[1].Value.err, MAPI_E_NOT_FOUND);
    EXPECT_STREQ(props[2].Value.lpszA, "Second given name");  // the last of a repeated tag
    opened.wab->FreeBuffer(props);
    user->Release();
}

struct FileState {
    std::string bytes;
    struct timespec mtime;
    std::size_t filesInFolder;
};

FileState StateOf(const std::filesystem::path& file) {
    struct stat st {};
    stat(file.c_str(), &st);
    const auto n = static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(file.parent_path()),
                      std::filesystem::directory_iterator()));
    return FileState{ReadFile(file), st.st_mtim, n};
}

TEST_F(PropertiesTest, ReadingLeavesTheBookUntouched) {
    const FileState before = StateOf(m_file);
    {
        OpenedBook opened;
        ASSERT_EQ(OpenBook(m_file.string(), &opened.book, &opened.wab), S_OK);
        IMailUser* user = OpenOnlyEntry(opened);
        ASSERT_NE(user, nullptr);
        ULONG count = 0;
        SPropValue* props = nullptr;
        ASSERT_EQ(user->GetProps(nullptr, 0, &count, &props), S_OK);
        // While the book is open, no journal or other file appears beside it.
        EXPECT_EQ(StateOf(m_file).filesInFolder, before.filesInFolder);
        opened.wab->FreeBuffer(props);
        user->Release();
    }
    const FileState after = StateOf(m_file);
    EXPECT_EQ(after.bytes, before.bytes);
    EXPECT_EQ(after.mtime.tv_sec, before.mtime.tv_sec);
    EXPECT_EQ(after.mtime.tv_nsec, before.mtime.tv_nsec);
    EXPECT_EQ(after.filesInFolder, before.filesInFolder);
}

TEST_F(PropertiesTest, DamagedPropertiesFailTheCall) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(m_file.c_str(), &db), SQLITE_OK);
    // A record whose length runs past the end of the blob.
    ASSERT_EQ(sqlite3_exec(db, "UPDATE entries SET props = x'1E00063AFF000000414243'", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    OpenedBook opened;
    ASSERT_EQ(OpenBook(m_file.string(), &opened.book, &opened.wab), S_OK);
    IMailUser* user = OpenOnlyEntry(opened);
    ASSERT_NE(user, nullptr);
    ULONG count = 5;
    SPropValue* props = reinterpret_cast<SPropValue*>(0x1);
    EXPECT_EQ(user->GetProps(nullptr, 0, &count, &props), MAPI_E_CORRUPT_DATA);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(props, nullptr);
    user->Release();
}

// Pages destroyed in the middle of a large book: opening may still work,
// but listing and reading then fail with a code instead of crashing.
TEST(DamagedBookTest, DamageFoundWhileReadingIsAFailingCode) {
    TempDir dir;
    const auto file = dir / "big.wab";
    const RunResult made = RunBookTool({"generate", "--contacts", "3000", file.string()});
    ASSERT_EQ(made.status, 0) << made.err;
    std::string bytes = ReadFile(file);
    const std::size_t start = bytes.size() / 2;
    for (std::size_t i = start; i < start + 256 * 1024 && i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(0xA5);
    }
    WriteFile(file, bytes);

    OpenedBook opened;
    const HRESULT hr = OpenBook(file.string(), &opened.book, &opened.wab);
    if (hr != S_OK) {
        EXPECT_LT(hr, 0);
        return;
    }
    bool failed = false;
    IMAPITable* table = opened.ContentsTable();
    ASSERT_NE(table, nullptr);
    for (;;) {
        SRowSet* rows = nullptr;
        const HRESULT q = table->QueryRows(1, 0, &rows);
        if (FAILED(q)) {
            EXPECT_EQ(rows, nullptr);
            failed = true;
            break;
        }
        if (rows->cRows == 0) {
            opened.wab->FreeBuffer(rows);
            break;
        }
        const SBinary id = rows->aRow[0].lpProps[1].Value.bin;
        IUnknown* unk = nullptr;
        ULONG type = 0;
        if (FAILED(opened.book->OpenEntry(id.cb, id.lpb, nullptr, 0, &type, &unk))) {
            failed = true;
        } else {
            ULONG count = 0;
            SPropValue* props = nullptr;
            if (FAILED(dynamic_cast<IMAPIProp*>(unk)->GetProps(nullptr, 0, &count, &props))) {
                failed = true;
            }
            opened.wab->FreeBuffer(props);
            unk->Release();
        }
        opened.wab->FreeBuffer(rows->aRow[0].lpProps);
        opened.wab->FreeBuffer(rows);
    }
    table->Release();
    EXPECT_TRUE(failed);
}

// Without a QApplication the details window cannot be shown: a failing code.
TEST_F(PropertiesTest, DetailsWithoutApplicationFails) {
    OpenedBook opened;
    ASSERT_EQ(OpenBook(m_file.string(), &opened.book, &opened.wab), S_OK);
    const std::vector<ListedRow> rows = ListAll(opened);
    ASSERT_EQ(rows.size(), 1u);
    std::uintptr_t window = 0;
    EXPECT_LT(opened.book->Details(&window, nullptr, nullptr, 8, rows[0].entryId.data(), nullptr,
                                   nullptr, nullptr, 0),
              0);
}

}  // namespace
