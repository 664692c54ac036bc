// quorvel-book builds a book from book.json; quorvel-export exports it through
// the real libwab32.so, and the files must equal the expected ones byte for
// byte. The book must not change under any command.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Result = testing_support::ProgramResult;
using testing_support::RunProgram;

using testing_support::ReadFile;

class ExportEndToEndTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_dir = new testing_support::TempDir;
        s_book = s_dir->File("book.wab");
        const Result created =
            RunProgram(QUORVEL_BOOK, {"create", s_book, std::string(E2E_DIR) + "/book.json"});
        ASSERT_EQ(created.status, 0) << created.err;
    }
    static void TearDownTestSuite() { delete s_dir; }

    // Runs quorvel-export with args, in UTC, and checks that the book stays
    // byte for byte as it was.
    Result Export(const std::vector<std::string>& args) {
        const std::string before = ReadFile(s_book);
        const Result r = RunProgram(
            QUORVEL_EXPORT, args,
            {"QUORVEL_WAB_DLLPATH", "TZ=UTC", "XDG_DATA_HOME=" + s_dir->path().string()});
        EXPECT_EQ(ReadFile(s_book), before) << "the book changed";
        return r;
    }
    static std::string Expected(const char* name) {
        return ReadFile(fs::path(E2E_DIR) / "expected" / name);
    }
    static std::string Path(const char* name) { return s_dir->File(name); }

    static testing_support::TempDir* s_dir;
    static std::string s_book;
};

testing_support::TempDir* ExportEndToEndTest::s_dir = nullptr;
std::string ExportEndToEndTest::s_book;

TEST_F(ExportEndToEndTest, WritesTheThreeKindsByteForByte) {
    Result r = Export({"-q", "-o", Path("book.vcf"), s_book});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadFile(Path("book.vcf")), Expected("book.vcf"));

    r = Export({"-f", "csv", "-o", Path("book.csv"), s_book});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(Path("book.csv")), Expected("book.csv"));

    r = Export({"-f", "csv-split", "--header", Path("h.csv"), "-o", Path("d.csv"), s_book});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(Path("h.csv")), Expected("book-header.csv"));
    EXPECT_EQ(ReadFile(Path("d.csv")), Expected("book-data.csv"));
}

TEST_F(ExportEndToEndTest, ListsAndSelectsNonadjacentContacts) {
    Result r = Export({"--list", s_book});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0\tDesk\n1\tGiven Family\n2\tJo Sample\n3\tOnly Middle\n4\tZed Everything\n");

    r = Export({"--select", "3,1", "-o", Path("selected.vcf"), s_book});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(Path("selected.vcf")), Expected("selected.vcf"));
}

// A closed standard output is held by /dev/null opened for reading, so an
// export to it fails instead of vanishing.
TEST_F(ExportEndToEndTest, ClosedStandardOutputFailsTheExport) {
    const Result r =
        RunProgram("/bin/sh", {"-c", "\"$0\" -q -o - \"$1\" >&-", QUORVEL_EXPORT, s_book});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "quorvel-export: cannot write standard output: Bad file descriptor\n");
}

// A user with neither HOME nor an entry in the user database has the
// default book under the root folder, said in one line.
TEST_F(ExportEndToEndTest, DefaultBookOfAUserWithoutAHome) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can take a user id that has no entry";
    }
    const Result r =
        RunProgram("/usr/bin/setpriv",
                   {"--reuid=54321", "--regid=54321", "--clear-groups", QUORVEL_EXPORT, "--list"},
                   {"HOME", "XDG_DATA_HOME", "QUORVEL_WAB_DLLPATH"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "quorvel-export: cannot open the default address book "
              "//.local/share/quorvel/default.wab: No such file or directory\n");
}

// --help and --version on every program: printed, status 0, no window and
// no default book; into a full device, a nonzero status and one line saying so.
TEST_F(ExportEndToEndTest, HelpAndVersionOfEveryProgram) {
    std::vector<std::pair<std::string, std::string>> programs = {{"quorvel-export", QUORVEL_EXPORT},
                                                                 {"quorvel-book", QUORVEL_BOOK}};
#ifdef QUORVEL_GUI
    programs.emplace_back("quorvel", QUORVEL_GUI);
#endif
    const fs::path home = *s_dir / "home";
    fs::create_directories(home);
    for (const auto& [name, program] : programs) {
        for (const std::string option : {"--help", "--version"}) {
            for (const std::string& target : {Path("printed.txt"), std::string("/dev/full")}) {
                SCOPED_TRACE(name + " " + option + " >" + target);
                // Through the shell, so that standard output can be /dev/full.
                const Result r =
                    RunProgram("/bin/sh", {"-c", "\"$0\" \"$1\" >\"$2\"", program, option, target},
                               {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                                "HOME=" + home.string(), "XDG_DATA_HOME=" + home.string()});
                EXPECT_TRUE(fs::is_empty(home)) << "something was created in HOME";
                if (target == "/dev/full") {
                    EXPECT_NE(r.status, 0);
                    EXPECT_EQ(r.err,
                              name + ": cannot write standard output: No space left on device\n");
                    continue;
                }
                EXPECT_EQ(r.status, 0);
                EXPECT_EQ(r.err, "");
                const std::string out = ReadFile(target);
                if (option == "--version") {
                    EXPECT_EQ(out, name + " " + QUORVEL_VERSION + "\n");
                } else {
                    EXPECT_EQ(out.rfind("Usage: " + name + " ", 0), 0u) << out;
                }
            }
        }
    }
}

}  // namespace
