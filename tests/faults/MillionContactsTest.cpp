// A generated book of a million contacts exports whole: one block per listed
// contact, and the book unchanged.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace testing_support;

TEST(MillionContactsTest, EveryListedContactIsExported) {
    TempDir dir;
    const std::string book = dir.File("million.wab");
    ASSERT_EQ(RunProgram(QUORVEL_BOOK, {"generate", "--contacts", "1000000", book}).status, 0);
    const std::string before = ReadFile(book);
    const std::vector<std::string> env = {"QUORVEL_WAB_DLLPATH", "TZ=UTC"};
    const auto listed = RunProgram(QUORVEL_EXPORT, {"--list", book}, env);
    const auto contacts = std::ranges::count(listed.out, '\n');
    EXPECT_GT(contacts, 900000);
    const auto r = RunProgram(QUORVEL_EXPORT, {"-q", "-o", dir.File("all.vcf"), book}, env);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string text = ReadFile(dir.File("all.vcf"));
    std::ptrdiff_t blocks = 0;
    for (std::size_t at = 0; (at = text.find("BEGIN:VCARD\r\n", at)) != std::string::npos; ++at) {
        ++blocks;
    }
    EXPECT_EQ(blocks, contacts);
    EXPECT_TRUE(ReadFile(book) == before) << "the book changed";
}

}  // namespace
