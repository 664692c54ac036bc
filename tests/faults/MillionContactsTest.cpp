// A generated book of a million contacts exports in both kinds: one block or
// row per listed contact, and the book unchanged.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

using testing_support::ProgramResult;
using testing_support::ReadFile;
using testing_support::RunProgram;

TEST(MillionContactsTest, EveryListedContactIsExported) {
    testing_support::TempDir dir;
    const std::string book = dir.File("million.wab");
    ASSERT_EQ(RunProgram(QUORVEL_BOOK, {"generate", "--contacts", "1000000", book}).status, 0);
    const std::string before = ReadFile(book);
    const std::vector<std::string> env = {"QUORVEL_WAB_DLLPATH", "TZ=UTC"};

    const ProgramResult listed = RunProgram(QUORVEL_EXPORT, {"--list", book}, env);
    ASSERT_EQ(listed.status, 0) << listed.err;
    const auto contacts =
        static_cast<std::size_t>(std::count(listed.out.begin(), listed.out.end(), '\n'));
    EXPECT_GT(contacts, 900000u);

    ProgramResult r = RunProgram(QUORVEL_EXPORT, {"-q", "-o", dir.File("all.vcf"), book}, env);
    ASSERT_EQ(r.status, 0) << r.err;
    std::string text = ReadFile(dir.File("all.vcf"));
    std::size_t blocks = 0;
    for (std::size_t at = 0; (at = text.find("BEGIN:VCARD\r\n", at)) != std::string::npos; ++at) {
        ++blocks;
    }
    EXPECT_EQ(blocks, contacts);

    r = RunProgram(QUORVEL_EXPORT, {"-q", "-f", "csv", "-o", dir.File("all.csv"), book}, env);
    ASSERT_EQ(r.status, 0) << r.err;
    text = ReadFile(dir.File("all.csv"));
    // A lone LF inside a value is stored as CR LF too, so rows are found by
    // their first field, the listed name, in list order.
    std::istringstream names(listed.out);
    std::size_t at = text.find("\r\n");
    std::size_t rows = 0;
    for (std::string line; std::getline(names, line) && at != std::string::npos; ++rows) {
        at = text.find("\r\n\"" + line.substr(line.find('\t') + 1) + "\",", at);
        at += at != std::string::npos ? 2 : 0;
    }
    EXPECT_NE(at, std::string::npos) << "row " << rows << " is missing";
    EXPECT_EQ(rows, contacts);
    EXPECT_TRUE(ReadFile(book) == before) << "the book changed";
}

}  // namespace
