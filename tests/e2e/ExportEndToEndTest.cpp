// The programs over the real libwab32.so: books from book.json and vCard files
// (vcard/README.md) export byte for byte as expected; no book ever changes.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Result = testing_support::ProgramResult;
using testing_support::ReadFile;
using testing_support::RunProgram;
using testing_support::WriteFile;

class ExportEndToEndTest : public testing::Test {
  protected:
    void SetUp() override {
        const Result created = RunProgram(QUORVEL_BOOK, {"create", m_book, E2E_DIR "/book.json"});
        ASSERT_EQ(created.status, 0) << created.err;
    }
    // Runs a program in UTC and checks that `book` keeps its bytes.
    Result Run(const std::string& program, const std::vector<std::string>& args,
               const std::string& book) {
        const std::string before = ReadFile(book);
        const Result r = RunProgram(program, args,
                                    {"QUORVEL_WAB_DLLPATH", "TZ=UTC", "XDG_DATA_HOME=" + Path("")});
        EXPECT_EQ(ReadFile(book), before) << "the book changed";
        return r;
    }
    Result Export(const std::vector<std::string>& args) {
        return Run(QUORVEL_EXPORT, args, m_book);
    }
    // Exports `book` as `format` and returns the file written.
    std::string ExportFile(const std::string& book, const std::string& format,
                           std::vector<std::string> args = {}) {
        args.insert(args.end(), {"-q", "-f", format, "-o", Path("x"), book});
        const Result r = Run(QUORVEL_EXPORT, args, book);
        EXPECT_EQ(r.status, 0) << r.err;
        return ReadFile(Path("x"));
    }
    static std::string Expected(const char* name) {
        return ReadFile(fs::path(E2E_DIR) / "expected" / name);
    }
    std::string Path(const std::string& name) const { return m_dir.File(name); }

    testing_support::TempDir m_dir;
    const std::string m_book = m_dir.File("book.wab");
};

// vCard files opened as books.
class VCardBookTest : public ExportEndToEndTest {};

// The three kinds, a non-adjacent selection and the list, against files
// written line by line from the book's JSON; the summary lines of each.
TEST_F(ExportEndToEndTest, WritesTheThreeKindsByteForByte) {
    struct Case {
        std::vector<std::string> args;
        std::vector<const char*> files;  // written, or "-": standard output
        std::string err;
    };
    const Case cases[] = {
        {{"-o", Path("book.vcf")}, {"book.vcf"}, "5 contacts written to " + Path("book.vcf")},
        {{"-q", "-f", "csv", "-o", Path("book.csv")}, {"book.csv"}, ""},
        {{"-f", "csv-split", "--header", Path("book-header.csv"), "-o", "-"},
         {"book-header.csv", "book-data.csv"},
         "5 contacts written to standard output, the header line to " + Path("book-header.csv") +
             "\nquorvel-export: 7 values have no place in CSV and are not in standard output: 1 "
             "phone, 6 name parts"},
        {{"-q", "--select", "3,1", "-o", Path("selected.vcf")}, {"selected.vcf"}, ""},
    };
    for (auto c : cases) {
        c.args.push_back(m_book);
        const Result r = Export(c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, c.err.empty() ? "" : c.err + "\n") << r.err;
        for (const char* name : c.files) {
            EXPECT_EQ(c.args[c.args.size() - 2] == "-" && name == c.files.back()
                          ? r.out
                          : ReadFile(Path(name)),
                      Expected(name))
                << name;
        }
    }
    EXPECT_EQ(Export({"--list", m_book}).out,
              "0\tDesk\n1\tGiven Family\n2\tJo Sample\n3\tOnly Middle\n4\tZed Everything\n");
}

// A vCard 3.0 card with N:Doe;John;Q;Dr.;Jr., three TEL;TYPE=HOME and three
// ADR;TYPE=HOME: vCard 2.1 has no place for six of its values. Plain Person, a
// name and an e-mail address, loses none.
TEST_F(ExportEndToEndTest, SaysWhatTheFormatHasNoPlaceFor) {
    const std::string book = E2E_DIR "/left-out.vcf", out = Path("out.vcf");
    const Result doe = Run(QUORVEL_EXPORT, {"-n", "doe", "-o", out, book}, book);
    EXPECT_EQ(std::to_string(doe.status) + " " + doe.err,
              "0 1 contact written to " + out +
                  "\nquorvel-export: 6 values have no place in vCard 2.1 and are not in " + out +
                  ": 2 phones, 2 addresses, 2 name parts\n");
    const Result plain = Run(QUORVEL_EXPORT, {"-n", "plain", "-o", out, book}, book);
    EXPECT_EQ(std::to_string(plain.status) + " " + plain.err,
              "0 1 contact written to " + out + "\n");
}

// An export to a closed standard output fails instead of vanishing; a user
// without HOME or a user-database entry (root can be one) is told one line.
TEST_F(ExportEndToEndTest, ClosedStandardOutputAndNoHomeFailInOneLine) {
    Result r = RunProgram("/bin/sh", {"-c", "\"$0\" -q -o - \"$1\" >&-", QUORVEL_EXPORT, m_book});
    EXPECT_EQ(std::to_string(r.status) + " " + r.err,
              "3 quorvel-export: cannot write standard output: Bad file descriptor\n");
    if (::geteuid() == 0) {
        r = RunProgram(
            "/usr/bin/setpriv",
            {"--reuid=54321", "--regid=54321", "--clear-groups", QUORVEL_EXPORT, "--list"},
            {"HOME", "XDG_DATA_HOME", "QUORVEL_WAB_DLLPATH"});
        EXPECT_EQ(std::to_string(r.status) + " " + r.err,
                  "1 quorvel-export: cannot open the default address book "
                  "//.local/share/quorvel/default.wab: No such file or directory\n");
    }
}

// --help and --version on every program: printed, status 0, no window and
// no default book; into a full device, a nonzero status and one line saying so.
TEST_F(ExportEndToEndTest, HelpAndVersionOfEveryProgram) {
    std::vector<std::pair<std::string, std::string>> programs = {{"quorvel-export", QUORVEL_EXPORT},
                                                                 {"quorvel-book", QUORVEL_BOOK}};
#ifdef QUORVEL_GUI
    programs.emplace_back("quorvel", QUORVEL_GUI);
#endif
    const std::string home = Path("home");
    fs::create_directories(home);
    const std::vector<std::string> env = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                                          "HOME=" + home, "XDG_DATA_HOME=" + home};
    for (const auto& [name, program] : programs) {
        SCOPED_TRACE(name);
        // Through the shell, so that standard output can be /dev/full.
        const auto run = [&, p = program](const char* option, const std::string& target) {
            return RunProgram("/bin/sh", {"-c", "\"$0\" \"$1\" >\"$2\"", p, option, target}, env);
        };
        // An empty book (an unset variable in a script) is a usage error, not the default book.
        const Result empty = RunProgram(
            program,
            name == "quorvel"
                ? std::vector<std::string>{""}
                : std::vector<std::string>{name == "quorvel-book" ? "dump" : "-qo" + Path("x"), ""},
            env);
        EXPECT_EQ(std::to_string(empty.status) + " " +
                      std::to_string(std::count(empty.err.begin(), empty.err.end(), '\n')),
                  "2 1")
            << empty.err;
        EXPECT_EQ(run("--version", Path("version")).status, 0);
        EXPECT_EQ(ReadFile(Path("version")), name + " " + QUORVEL_VERSION + "\n");
        EXPECT_EQ(run("--help", Path("help")).status, 0);
        EXPECT_EQ(ReadFile(Path("help")).rfind("Usage: " + name + " ", 0), 0u);
        for (const char* option : {"--help", "--version"}) {
            const Result r = run(option, "/dev/full");
            EXPECT_NE(r.status, 0);
            EXPECT_EQ(r.err, name + ": cannot write standard output: No space left on device\n");
        }
        EXPECT_TRUE(fs::is_empty(home)) << "something was created in HOME";
    }
}

TEST_F(VCardBookTest, FilesOfRealWritersExportAsMapped) {
    const fs::path dir = fs::path(E2E_DIR) / "vcard";
    for (const char* sample : {"evolution-21", "evolution-30", "vobject-30", "apple-30",
                               "outlook-21", "android-21", "rfc6350-40"}) {
        SCOPED_TRACE(sample);
        const fs::path name(sample);
        const std::string book = (dir / name).replace_extension("vcf").string();
        EXPECT_EQ(ExportFile(book, "vcard"),
                  ReadFile((dir / "expected" / name).replace_extension("vcf")));
        EXPECT_EQ(ExportFile(book, "csv"),
                  ReadFile((dir / "expected" / name).replace_extension("csv")));
    }
}

TEST_F(VCardBookTest, QuorvelExportReadsBackAsExported) {
    const std::string& book = m_book;
    const std::string exported = Path("book.vcf");
    WriteFile(exported, ExportFile(book, "vcard"));
    // Not for the last contact: its empty home street and the lone line feed
    // in its note cannot be told from none and from CR LF in a vCard, the line
    // break its pager number is written with comes back as a line of its own,
    // and its byte E9 (not UTF-8) as Windows-1252's é.
    const std::vector<std::string> firstFour = {"--select", "0,1,2,3"};
    EXPECT_EQ(ExportFile(exported, "vcard", firstFour), ExportFile(book, "vcard", firstFour));
    EXPECT_EQ(ExportFile(exported, "csv", firstFour), ExportFile(book, "csv", firstFour));
}

TEST_F(VCardBookTest, CardsThatCannotBeReadAreCounted) {
    struct Case {
        std::string text;
        std::string list;
        std::string error;  // none: the export succeeds
    };
    // The reader's own cases (tests/wab32/vcard-cases) show the rest.
    const Case cases[] = {
        {"BEGIN:VCARD\r\nFN:Cut off\r\nBEGIN:VCARD\r\nFN:Good\r\nEND:VCARD\r\n",
         "0\tCut off\n1\tGood\n", "1 of 2 contacts"},
        {"\r\n \r\nbegin:vcard\rFN:Old Mac\rEND:VCARD\r\x1A", "0\tOld Mac\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string book = Path("cards.vcf");
        WriteFile(book, c.text);
        EXPECT_EQ(Run(QUORVEL_EXPORT, {"--list", book}, book).out, c.list);
        const Result r = Run(QUORVEL_EXPORT, {"-q", "-o", Path("x.vcf"), book}, book);
        EXPECT_EQ(r.status, c.error.empty() ? 0 : 1) << r.err;
        EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
    }
}

}  // namespace
