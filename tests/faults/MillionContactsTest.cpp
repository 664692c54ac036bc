// A generated book of a million contacts exports in both kinds: one block or
// row per listed contact, and the book unchanged.
#include "FaultSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

namespace fs = std::filesystem;
using testing_support::ProgramResult;
using testing_support::ReadFile;

TEST(MillionContactsTest, EveryListedContactIsExported) {
    testing_support::TempDir dir;
    const fs::path book = dir.path() / "million.wab";
    faults::GenerateBook(book, 1000000);
    const faults::BookSnapshot before = faults::Snapshot(book);

    const ProgramResult listed = faults::RunQuorvelExport({"--list", book.string()});
    ASSERT_EQ(listed.status, 0) << listed.err;
    const std::size_t contacts = faults::CountOf(listed.out, "\n");
    EXPECT_GT(contacts, 900000u);

    ProgramResult r = faults::RunQuorvelExport({"-q", "-o", dir.File("all.vcf"), book.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string text = ReadFile(dir.File("all.vcf"));
    EXPECT_EQ(faults::CountOf(text, "BEGIN:VCARD\r\n"), contacts);
    EXPECT_EQ(faults::CountOf(text, "END:VCARD\r\n"), contacts);
    fs::remove(dir.File("all.vcf"));

    r = faults::RunQuorvelExport({"-q", "-f", "csv", "-o", dir.File("all.csv"), book.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    text = ReadFile(dir.File("all.csv"));
    // A lone LF inside a value is stored as CR LF too, so rows are found by
    // their first field, the listed name, in list order.
    std::istringstream names(listed.out);
    std::size_t at = text.find("\r\n");
    std::size_t rows = 0;
    for (std::string line; std::getline(names, line) && at != std::string::npos; ++rows) {
        at = text.find("\r\n\"" + line.substr(line.find('\t') + 1) + "\",", at);
        if (at != std::string::npos) {
            at += 2;
        }
    }
    EXPECT_NE(at, std::string::npos) << "row " << rows << " is missing";
    EXPECT_EQ(rows, contacts);
    faults::ExpectUnchanged(book, before);
}

}  // namespace
