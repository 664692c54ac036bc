// vCard files opened as books by libwab32.so and exported by quorvel-export:
// files written by real programs (vcard/README.md says which) must export to
// the expected bytes, Quorvel's own vCard export must read back as what was
// exported, and a card that cannot be read is counted, never dropped.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Result = testing_support::ProgramResult;

using testing_support::ReadFile;

class VCardBookTest : public testing::Test {
  protected:
    // Runs a program in UTC and checks that `book` is left as it was.
    Result Run(const std::string& program, const std::vector<std::string>& args,
               const std::string& book) {
        const std::string before = ReadFile(book);
        const Result r = testing_support::RunProgram(
            program, args,
            {"QUORVEL_WAB_DLLPATH", "TZ=UTC", "XDG_DATA_HOME=" + m_dir.path().string()});
        EXPECT_EQ(ReadFile(book), before) << "the book changed";
        return r;
    }
    // Exports `book` as `format` and returns the file written.
    std::string Export(const std::string& book, const std::string& format,
                       std::vector<std::string> args = {}) {
        args.insert(args.end(), {"-q", "-f", format, "-o", Path("x"), book});
        const Result r = Run(QUORVEL_EXPORT, args, book);
        EXPECT_EQ(r.status, 0) << r.err;
        return ReadFile(Path("x"));
    }
    std::string Path(const std::string& name) const { return m_dir.File(name); }

    testing_support::TempDir m_dir;
};

TEST_F(VCardBookTest, FilesOfRealWritersExportAsMapped) {
    const fs::path dir = fs::path(E2E_DIR) / "vcard";
    for (const char* sample : {"evolution-21", "evolution-30", "vobject-30", "apple-30",
                               "outlook-21", "android-21", "rfc6350-40"}) {
        SCOPED_TRACE(sample);
        const fs::path name(sample);
        const std::string book = (dir / name).replace_extension("vcf").string();
        EXPECT_EQ(Export(book, "vcard"),
                  ReadFile((dir / "expected" / name).replace_extension("vcf")));
        EXPECT_EQ(Export(book, "csv"),
                  ReadFile((dir / "expected" / name).replace_extension("csv")));
    }
}

TEST_F(VCardBookTest, QuorvelExportReadsBackAsExported) {
    const std::string book = Path("book.wab");
    const std::string json = (fs::path(E2E_DIR) / "book.json").string();
    ASSERT_EQ(Run(QUORVEL_BOOK, {"create", book, json}, json).status, 0);
    const std::string exported = Path("book.vcf");
    std::ofstream(exported, std::ios::binary) << Export(book, "vcard");
    EXPECT_EQ(Export(exported, "vcard"), ReadFile(exported));
    // Not for the last contact: its empty home street and the lone line feed
    // in its note cannot be told from none and from CR LF in a vCard.
    const std::vector<std::string> firstFour = {"--select", "0,1,2,3"};
    EXPECT_EQ(Export(exported, "csv", firstFour), Export(book, "csv", firstFour));
}

TEST_F(VCardBookTest, CardsThatCannotBeReadAreCounted) {
    struct Case {
        std::string text;
        std::string list;
        std::string error;  // none: the export succeeds
    };
    const Case cases[] = {
        {"BEGIN:VCARD\r\nFN:Good\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nFN:Cut off\r\n",
         "0\tCut off\n1\tGood\n", "1 of 2 contacts"},
        {"BEGIN:VCARD\r\nFN:Good\r\nEND:VCARD\r\nstray "
         "text\r\nBEGIN:VCARD\r\nFN:Good\r\nEND:VCARD\r\n",
         "0\t\n1\tGood\n2\tGood\n", "1 of 3 contacts"},
        {"BEGIN:VCARD\r\nFN:Good\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\nFN;CHARSET=NO-SUCH-SET:x\nEND:VCARD\n",
         "0\tGood\n1\tx\n", "1 of 2 contacts"},
        {"BEGIN:VCARD\r\nFN:Good\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\n:no name\r\nEND:VCARD",
         "0\t\n1\tGood\n", "1 of 2 contacts"},
        {"\r\n \r\nbegin:vcard\rFN:Old Mac\rEND:VCARD\r\x1A", "0\tOld Mac\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string book = Path("cards.vcf");
        std::ofstream(book, std::ios::binary) << c.text;
        EXPECT_EQ(Run(QUORVEL_EXPORT, {"--list", book}, book).out, c.list);
        const Result r = Run(QUORVEL_EXPORT, {"-q", "-o", Path("x.vcf"), book}, book);
        EXPECT_EQ(r.status, c.error.empty() ? 0 : 1) << r.err;
        EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
    }
}

}  // namespace
