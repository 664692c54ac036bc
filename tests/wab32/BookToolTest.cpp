#include "WabTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace wabtest;

std::size_t FilesIn(const std::filesystem::path& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                  std::filesystem::directory_iterator()));
}

TEST(BookToolTest, CreateRefusesToOverwriteWithoutForce) {
    TempDir dir;
    const auto book = dir / "book.wab";
    const auto source = dir / "source.json";
    WriteFile(source, R"({"entries": [{"type": "mailuser", "props": []}]})");
    WriteFile(book, "precious");
    RunResult r = RunBookTool({"create", book.string(), source.string()});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find(book.string()), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("exists"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(book), "precious");
    EXPECT_EQ(FilesIn(dir.Path()), 2u);

    r = RunBookTool({"create", "--force", book.string(), source.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(book).substr(0, 15), "SQLite format 3");
    EXPECT_EQ(FilesIn(dir.Path()), 2u);
}

// Each bad source names the file, the entry and property index, exits
// nonzero and leaves no book and no temporary file.
TEST(BookToolTest, BadSourcesAreRefusedWithTheirPlace) {
    const struct {
        const char* json;
        const char* where;
    } cases[] = {
        {R"({"entries": [)", "malformed JSON"},
        {R"({"entries": [{"props": [{"tag": "0x3FFD0003", "int": 1e999}]}]})", "malformed JSON"},
        {R"({"entries": {}})", "\"entries\" array"},
        {R"({"entries": [{"type": "person", "props": []}]})", "entry 0:"},
        {R"({"entries": [{"type": "mailuser"}]})", "entry 0:"},
        {R"({"entries": [{"props": []}, {"props": [{"tag": "0x3A06001E", "value": "a"},
            {"tag": "3A06001E", "value": "b"}]}]})",
         "entry 1, property 1:"},
        {R"({"entries": [{"props": [{"tag": "0x3A06001E", "int": 3}]}]})", "entry 0, property 0:"},
        {R"({"entries": [{"props": [{"tag": "0x3A06001E"}]}]})", "entry 0, property 0:"},
        {R"({"entries": [{"props": [{"tag": "0x3A06001E", "value": "a", "hex": "41"}]}]})",
         "entry 0, property 0:"},
        {R"({"entries": [{"props": [{"tag": "0x0FF90102", "hex": "414"}]}]})",
         "entry 0, property 0:"},
        {R"({"entries": [{"props": [{"tag": "0x0FF90102", "hex": "4G"}]}]})",
         "entry 0, property 0:"},
        {R"({"entries": [{"props": [{"tag": "0x3A06001E", "hex": "410042"}]}]})",
         "entry 0, property 0:"},
        {R"({"entries": [{"props": [{"tag": "0x3FFD0003", "int": 4294967296}]}]})",
         "entry 0, property 0:"},
        {R"({"entries": [{"props": [{"tag": "0x3FFD0003", "int": 18446744073709551615}]}]})",
         "entry 0, property 0:"},
        {R"({"entries": [{"props": [{"tag": "0x3A420040", "filetime": "12x"}]}]})",
         "entry 0, property 0:"},
        {R"({"entries": [{"props": [{"tag": "0x3A56101E", "values": ["a", 1]}]}]})",
         "entry 0, property 0:"},
        {R"({"entries": [{"props": [{"tag": "0x3A060005", "int": 1}]}]})", "entry 0, property 0:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        TempDir dir;
        const auto source = dir / "bad.json";
        WriteFile(source, c.json);
        const RunResult r = RunBookTool({"create", (dir / "book.wab").string(), source.string()});
        EXPECT_NE(r.status, 0);
        EXPECT_NE(r.err.find(source.string()), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.where), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(FilesIn(dir.Path()), 1u);
    }
}

TEST(BookToolTest, UsageErrorsAndHelp) {
    RunResult r = RunBookTool({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Usage: quorvel-book create", 0), 0u);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"frobnicate"},
                                               {"create", "only-one.wab"},
                                               {"generate", "x.wab"},
                                               {"generate", "--contacts", "ten", "x.wab"},
                                               // more than 32-bit entry ids can number
                                               {"generate", "--contacts", "4294967296", "x.wab"},
                                               {"dump"},
                                               {"dump", "--bogus", "x.wab"}}) {
        r = RunBookTool(args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_FALSE(r.err.empty());
    }
    r = RunBookTool({"dump", "/nonexistent/book.wab"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quorvel-book: /nonexistent/book.wab: No such file or directory\n");
}

// Ended by a signal in the middle, generate leaves neither a book nor a
// temporary file (SIGTERM: a background job of a script ignores SIGINT).
TEST(BookToolTest, InterruptedGenerateLeavesNothing) {
    TempDir dir;
    const testing_support::ProgramResult killed = testing_support::RunProgram(
        "/bin/sh",
        {"-c", "\"$0\" generate --contacts 3000000 \"$1\" & sleep 0.5; kill -TERM $!; wait $!",
         BookToolPath(), (dir / "y.wab").string()});
    EXPECT_NE(killed.status, 0);
    EXPECT_EQ(FilesIn(dir.Path()), 0u) << "a book or a temporary file was left";
}

TEST(BookToolTest, GenerateIsDeterministic) {
    TempDir dir;
    const auto a = dir / "a.wab";
    const auto b = dir / "b.wab";
    const auto c = dir / "c.wab";
    ASSERT_EQ(RunBookTool({"generate", "--contacts", "500", "--seed", "7", a.string()}).status, 0);
    ASSERT_EQ(RunBookTool({"generate", "--seed", "7", "--contacts", "500", b.string()}).status, 0);
    ASSERT_EQ(RunBookTool({"generate", "--contacts", "500", "--seed", "8", c.string()}).status, 0);
    EXPECT_EQ(ReadFile(a), ReadFile(b));
    EXPECT_NE(ReadFile(a), ReadFile(c));
}

// The generated contacts use every mapped property and the hard cases.
TEST(BookToolTest, GeneratedContactsCoverTheHardCases) {
    TempDir dir;
    const auto file = dir / "g.wab";
    ASSERT_EQ(RunBookTool({"generate", "--contacts", "400", file.string()}).status, 0);
    OpenedBook opened;
    ASSERT_EQ(OpenBook(file.string(), &opened.book, &opened.wab), S_OK);
    const std::vector<ListedRow> rows = ListAll(opened);
    ASSERT_EQ(rows.size(), 400u);
    std::set<ULONG> tags;
    int distlists = 0;
    bool crlf = false, loneCr = false, loneLf = false, empty = false, high = false,
         longValue = false;
    bool repeatedEmail = false, caseVariant = false, before1000 = false, nearMidnight = false;
    for (const ListedRow& row : rows) {
        distlists += row.objectType == MAPI_DISTLIST ? 1 : 0;
        IUnknown* unk = nullptr;
        ULONG type = 0;
        ASSERT_EQ(opened.book->OpenEntry(8, row.entryId.data(), nullptr, 0, &type, &unk), S_OK);
        auto* user = dynamic_cast<IMailUser*>(unk);
        ULONG count = 0;
        SPropValue* props = nullptr;
        ASSERT_EQ(user->GetProps(nullptr, 0, &count, &props), S_OK);
        std::string email;
        for (ULONG i = 0; i < count; ++i) {
            const SPropValue& p = props[i];
            tags.insert(p.ulPropTag);
            if (PROP_TYPE(p.ulPropTag) == PT_STRING8) {
                const std::string s = p.Value.lpszA;
                crlf = crlf || s.find("\r\n") != std::string::npos;
                for (std::size_t k = 0; k < s.size(); ++k) {
                    const bool cr = s[k] == '\r', lf = s[k] == '\n';
                    loneCr = loneCr || (cr && (k + 1 == s.size() || s[k + 1] != '\n'));
                    loneLf = loneLf || (lf && (k == 0 || s[k - 1] != '\r'));
                    high = high || static_cast<unsigned char>(s[k]) >= 0x80;
                }
                empty = empty || s.empty();
                longValue = longValue || s.size() > 4096;
                if (p.ulPropTag == 0x3003001E) {
                    email = s;
                }
            } else if (p.ulPropTag == PR_CONTACT_EMAIL_ADDRESSES) {
                int same = 0;
                for (ULONG k = 0; k < p.Value.MVszA.cValues; ++k) {
                    const std::string v = p.Value.MVszA.lppszA[k];
                    same += v == email ? 1 : 0;
                    caseVariant =
                        caseVariant || (v != email && strcasecmp(v.c_str(), email.c_str()) == 0);
                }
                repeatedEmail = repeatedEmail || same > 1;
            } else if (PROP_TYPE(p.ulPropTag) == PT_SYSTIME) {
                const std::uint64_t ft =
                    (std::uint64_t{p.Value.ft.dwHighDateTime} << 32) | p.Value.ft.dwLowDateTime;
                constexpr std::uint64_t kDay = 864000000000ull;
                // Before 1000: a count before 1601 by more than 601 years.
                before1000 = before1000 || static_cast<std::int64_t>(ft) <
                                               -static_cast<std::int64_t>(219000 * kDay);
                nearMidnight = nearMidnight || ft % kDay == kDay - 1;
            }
        }
        opened.wab->FreeBuffer(props);
        user->Release();
    }
    for (ULONG id :
         {0x3A06u, 0x3A44u, 0x3A11u, 0x3001u, 0x3003u, 0x3A16u, 0x3A29u, 0x3A27u, 0x3A28u, 0x3A2Au,
          0x3A26u, 0x3A17u, 0x3A18u, 0x3A19u, 0x3A08u, 0x3A24u, 0x3A21u, 0x3A51u, 0x3A5Du, 0x3A59u,
          0x3A5Cu, 0x3A5Bu, 0x3A5Au, 0x3A09u, 0x3A25u, 0x3A1Cu, 0x3A50u, 0x3004u}) {
        EXPECT_TRUE(tags.count(PROP_TAG(PT_STRING8, id))) << std::hex << id;
    }
    EXPECT_TRUE(tags.count(0x3A420040u));
    EXPECT_TRUE(tags.count(PR_CONTACT_EMAIL_ADDRESSES));
    EXPECT_GT(distlists, 0);
    EXPECT_TRUE(crlf && loneCr && loneLf && empty && high && longValue);
    EXPECT_TRUE(repeatedEmail && caseVariant && before1000 && nearMidnight);
}

TEST(BookToolTest, DumpShowsEveryEntryAndProperty) {
    TempDir dir;
    const auto book = dir / "small.wab";
    CreateBook(book, R"({"entries": [
      {"type": "mailuser", "props": [
        {"tag": "0x3001001E", "value": "Ada \"Countess\" Lovelace"},
        {"tag": "0x3004001E", "hex": "610D0A62095C80FF"},
        {"tag": "0x3A56101E", "values": ["ada@x.example", "ADA@X.EXAMPLE"]},
        {"tag": "0x3A420040", "filetime": "62461584000000000"},
        {"tag": "0x0FF90102", "hex": "00FF"},
        {"tag": "0x3FFD0003", "int": -7},
        {"tag": "0x3001001E", "value": ""}]},
      {"type": "distlist", "props": [{"tag": "0x3001001E", "value": "Team"}]},
      {"type": 4, "props": []}]})",
               dir);
    const RunResult r = RunBookTool({"dump", book.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "entry 1: mailuser (object type 6), entry id 5157424501000000, 7 properties\n"
              "  [0] 0x3001001E Display name PT_STRING8: \"Ada \\\"Countess\\\" Lovelace\"\n"
              "  [1] 0x3004001E Notes PT_STRING8: \"a\\r\\nb\\t\\\\\\x80\\xFF\"\n"
              "  [2] 0x3A56101E E-mail addresses PT_MV_STRING8: 2 values \"ada@x.example\" "
              "\"ADA@X.EXAMPLE\"\n"
              "  [3] 0x3A420040 Birthday PT_SYSTIME: 62461584000000000 "
              "(1798-12-07 12:00:00.0000000 UTC)\n"
              "  [4] 0x0FF90102 (unnamed) PT_BINARY: hex 00FF (2 bytes)\n"
              "  [5] 0x3FFD0003 (unnamed) PT_LONG: -7\n"
              "  [6] 0x3001001E Display name PT_STRING8: \"\"\n"
              "entry 2: distlist (object type 8), entry id 5157424503000000, 1 property\n"
              "  [0] 0x3001001E Display name PT_STRING8: \"Team\"\n"
              "entry 3: container (object type 4), entry id 5157424502000000, 0 properties\n"
              "3 entries\n");
    EXPECT_TRUE(r.err.empty());
}

}  // namespace
