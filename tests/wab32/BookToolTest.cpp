#include "WabTestSupport.h"

#include <algorithm>

#include <gtest/gtest.h>

using namespace wabtest;

// quorvel-book's refusals, each a shell command ("$0" quorvel-book) run in a
// folder holding only e.json, an empty source, and its status, standard error
// and output, then the files left: a refused or stopped run leaves no book or
// temporary file. The memory limits keep a faulty build from taking the
// machine's memory; the sanitizer cannot run under them.
TEST(BookToolTest, RefusalsLeaveNothingBehind) {
#ifdef __SANITIZE_ADDRESS__
    const std::string limit;
#else
    const std::string limit = "ulimit -v 1000000; ";
#endif
    const std::string usage = " (see quorvel-book --help)\n";
    const std::pair<std::string, std::string> cases[] = {
        {"printf 'precious\\n' >b.wab; \"$0\" create b.wab e.json; echo $?; cat b.wab",
         "0 quorvel-book: b.wab: file exists (use --force to replace it)\n"
         "1\nprecious\nb.wab\ne.json\n"},
        {"printf x >b.wab; \"$0\" create --force b.wab e.json && head -c 15 b.wab && echo",
         "0 SQLite format 3\nb.wab\ne.json\n"},
        {limit + "\"$0\" create b.wab /dev/zero",
         "1 quorvel-book: /dev/zero: a device, not a file\ne.json\n"},
        {limit + "\"$0\" create b.wab - </dev/zero",
         "1 quorvel-book: standard input: larger than 64 MiB\ne.json\n"},
#ifndef __SANITIZE_ADDRESS__
        {R"((printf '{"entries": ['; yes '{"props": []},' | head -n 1000000; )"
         R"(echo '{"props": []}]}') >m.json; (ulimit -v 100000; "$0" create b.wab m.json))",
         "1 quorvel-book: out of memory\ne.json\nm.json\n"},
#endif
        {"\"$0\" create only-one.wab",
         "2 quorvel-book: create needs BOOK.wab and SOURCE.json" + usage + "e.json\n"},
        // more than 32-bit entry ids can number
        {"\"$0\" generate --contacts 4294967296 x.wab",
         "2 quorvel-book: --contacts: at most 4294967295 entries fit in a book, not 4294967296" +
             usage + "e.json\n"},
        {"\"$0\" dump --bogus x.wab",
         "2 quorvel-book: unknown option --bogus" + usage + "e.json\n"},
        {"\"$0\" dump /nonexistent/book.wab",
         "1 quorvel-book: /nonexistent/book.wab: No such file or directory\ne.json\n"},
        // A FIFO is refused, not waited on.
        {"mkfifo f && timeout 10 \"$0\" dump f",
         "1 quorvel-book: f: a pipe or socket, not a file\ne.json\nf\n"},
        // SIGTERM, as a script's background job ignores SIGINT.
        {"\"$0\" generate --contacts 3000000 y.wab & sleep 0.5; kill -TERM $!; wait $! 2>/dev/null",
         "143 e.json\n"},
    };
    for (const auto& [script, expected] : cases) {
        TempDir dir;
        WriteFile(dir / "e.json", R"({"entries": []})");
        const ProgramResult r =
            RunProgram("/bin/sh", {"-c", "cd \"$1\" && { " + script + "; }; s=$?; ls; exit $s",
                                   QUORVEL_BOOK_PATH, dir.path()});
        EXPECT_EQ(std::to_string(r.status) + " " + r.err + r.out, expected) << script;
    }
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
        const ProgramResult r =
            RunProgram(QUORVEL_BOOK_PATH, {"create", dir.File("book.wab"), dir.File("bad.json")});
        EXPECT_TRUE(r.status == 1 && FilesIn(dir.path()) == 1) << json;
        EXPECT_TRUE(r.err.starts_with("quorvel-book: " + dir.File("bad.json") + ": ") &&
                    r.err.find(where) != std::string::npos && std::ranges::count(r.err, '\n') == 1)
            << r.err;
    }
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
    const ProgramResult r = RunProgram(QUORVEL_BOOK_PATH, {"dump", book.string()});
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
