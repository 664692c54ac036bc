#include "WabTestSupport.h"

#include <algorithm>

#include <gtest/gtest.h>

using namespace wabtest;

TEST(BookToolTest, CreateRefusesToOverwriteWithoutForce) {
    TempDir dir;
    const std::string book = dir.File("book.wab");
    WriteFile(book, "precious");
    WriteFile(book + ".json", R"({"entries": []})");
    const ProgramResult r = RunBookTool({"create", book, book + ".json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quorvel-book: " + book + ": file exists (use --force to replace it)\n");
    EXPECT_EQ(ReadFile(book), "precious");
    CreateBook(book, R"({"entries": []})");  // with --force
    EXPECT_EQ(ReadFile(book).substr(0, 15), "SQLite format 3");
    EXPECT_EQ(FilesIn(dir.path()), 2);  // no temporary file left
}

// Each bad source: one line naming the file, entry and property; status 1; no file left.
TEST(BookToolTest, BadSourcesAreRefusedWithTheirPlace) {
    const std::pair<std::string, std::string> cases[] = {
        {R"({"entries": [)", "malformed JSON"},
        {R"({"entries": [{"props": [{"tag": "0x3FFD0003", "int": 1e999}]}]})", "malformed JSON"},
        {R"({"entries": {}})", "\"entries\" array"},
        {R"({"entries": [{"type": "person", "props": []}]})", "entry 0:"},
        {R"({"entries": [{"props": []}, {"props": [{"tag": "0x3A06001E", "value": ""}, {"tag": "3A06"}]}]})",
         "entry 1, property 1:"},
        {R"({"entries": [{"props": [{"tag": "0x3A06001E", "hex": "410042"}]}]})", "property 0:"},
        {R"({"entries": [{"props": [{"tag": "0x0FF90102", "hex": "414"}]}]})", "property 0:"},
        {R"({"entries": [{"props": [{"tag": "0x3FFD0003", "int": 4294967296}]}]})", "property 0:"},
        {R"({"entries": [{"props": [{"tag": "0x3A060005", "int": 1}]}]})", "property 0:"},
        {R"({"entries": [{"props": [[[[[[[]]]]]]]}]})", "nested deeper than 8 levels"}};
    for (const auto& [json, where] : cases) {
        TempDir dir;
        WriteFile(dir / "bad.json", json);
        const ProgramResult r = RunBookTool({"create", dir.File("book.wab"), dir.File("bad.json")});
        EXPECT_TRUE(r.status == 1 && FilesIn(dir.path()) == 1) << json;
        EXPECT_TRUE(r.err.starts_with("quorvel-book: " + dir.File("bad.json") + ": ") &&
                    r.err.find(where) != std::string::npos && std::ranges::count(r.err, '\n') == 1)
            << r.err;
    }
}

// Sources that never end or outgrow memory: status 1, one line, no book. The
// limits keep a faulty build from taking the machine's memory; the sanitizer
// cannot run under them.
TEST(BookToolTest, EndlessAndHugeSourcesFailInOneLine) {
#ifdef __SANITIZE_ADDRESS__
    const std::string limit, small;
#else
    const std::string limit = "ulimit -v 1000000; ", small = "ulimit -v 100000; ";
#endif
    const std::string million =
        R"((printf '{"entries": ['; yes '{"props": []},' | head -n 1000000; )"
        R"(echo '{"props": []}]}') >m.json; )";
    const std::pair<std::string, std::string> cases[] = {
        {limit + "exec \"$0\" create b.wab /dev/zero", "/dev/zero: a device, not a file"},
        {limit + "exec \"$0\" create b.wab - </dev/zero", "standard input: larger than 64 MiB"},
        {million + small + "exec \"$0\" create b.wab m.json", "out of memory"},
    };
    for (const auto& [command, error] : cases) {
        if (small.empty() && error == "out of memory") {
            continue;
        }
        TempDir dir;
        const ProgramResult r = testing_support::RunProgram(
            "/bin/sh", {"-c", "cd \"$1\" && " + command, QUORVEL_BOOK_PATH, dir.path()});
        EXPECT_EQ(std::to_string(r.status) + " " + r.err, "1 quorvel-book: " + error + "\n");
        EXPECT_FALSE(std::filesystem::exists(dir / "b.wab"));
    }
}

// Status 2 and a message for usage errors; 1 and the reason for a book that cannot be read.
TEST(BookToolTest, UsageErrorsAndHelp) {
    const std::vector<std::vector<std::string>> cases{
        {"create", "only-one.wab"},
        // more than 32-bit entry ids can number
        {"generate", "--contacts", "4294967296", "x.wab"},
        {"dump", "--bogus", "x.wab"}};
    for (const auto& args : cases) {
        const ProgramResult r = RunBookTool(args);
        EXPECT_TRUE(r.status == 2 && !r.err.empty()) << r.err;
    }
    const ProgramResult r = RunBookTool({"dump", "/nonexistent/book.wab"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quorvel-book: /nonexistent/book.wab: No such file or directory\n");
    // A FIFO is refused, not waited on.
    const TempDir dir;
    const ProgramResult fifo = testing_support::RunProgram(
        "/bin/sh", {"-c", "cd \"$1\" && mkfifo f && exec timeout 10 \"$0\" dump f",
                    QUORVEL_BOOK_PATH, dir.path()});
    EXPECT_EQ(std::to_string(fifo.status) + " " + fifo.err,
              "1 quorvel-book: f: a pipe or socket, not a file\n");
}

// generate ended by SIGTERM (a script's background job ignores SIGINT) leaves no file.
TEST(BookToolTest, InterruptedGenerateLeavesNothing) {
    TempDir dir;
    const ProgramResult killed = testing_support::RunProgram(
        "/bin/sh",
        {"-c", "\"$0\" generate --contacts 3000000 \"$1\" & sleep 0.5; kill -TERM $!; wait $!",
         QUORVEL_BOOK_PATH, dir.File("y.wab")});
    EXPECT_NE(killed.status, 0);
    EXPECT_EQ(FilesIn(dir.path()), 0) << "a book or a temporary file was left";
}

TEST(BookToolTest, DumpShowsEveryEntryAndProperty) {
    TempDir dir;
    const auto book = CreateBook(dir / "small.wab", R"({"entries": [{"props": [
        {"tag": "0x3001001E", "value": "Ada \"Countess\" Lovelace"},
        {"tag": "0x3004001E", "hex": "610D0A62095C80FF"},
        {"tag": "0x3A56101E", "values": ["ada@x.example", "ADA@X.EXAMPLE"]},
        {"tag": "0x3A420040", "filetime": "62461584000000000"},
        {"tag": "0x0FF90102", "hex": "00FF"},
        {"tag": "0x3FFD0003", "int": -7}]}]})");
    const ProgramResult r = RunBookTool({"dump", book.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "entry 1: mailuser (object type 6), entry id 5157424501000000, 6 properties\n"
              "  [0] 0x3001001E Display name PT_STRING8: \"Ada \\\"Countess\\\" Lovelace\"\n"
              "  [1] 0x3004001E Notes PT_STRING8: \"a\\r\\nb\\t\\\\\\x80\\xFF\"\n"
              "  [2] 0x3A56101E E-mail addresses PT_MV_STRING8: 2 values \"ada@x.example\" "
              "\"ADA@X.EXAMPLE\"\n"
              "  [3] 0x3A420040 Birthday PT_SYSTIME: 62461584000000000 "
              "(1798-12-07 12:00:00.0000000 UTC)\n"
              "  [4] 0x0FF90102 Record key PT_BINARY: hex 00FF (2 bytes)\n"
              "  [5] 0x3FFD0003 (unnamed) PT_LONG: -7\n"
              "1 entry\n");
}
