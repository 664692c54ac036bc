#include "cli/ExportCommand.h"
#include "tests/addressbook/FakeBook.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

using testing_support::ReadFile;

std::string VCard(const std::string& name) {
    return "BEGIN:VCARD\r\nVERSION:2.1\r\nN:;given " + name + ";;;\r\nFN:" + name +
           "\r\nEND:VCARD\r\n";
}
const std::string kVCardAnna = VCard("Anna"), kVCardBert = VCard("Bert"),
                  kVCardCleo = VCard("Cleo");

class ExportCommandTest : public testing::Test {
  protected:
    void SetUp() override {
        m_book = (m_dir / "book.wab").string();
        std::ofstream(m_book) << "fake";
        m_fake.state().entries = {Contact("Cleo", 3), Contact("Anna", 1), Contact("Bert", 2)};
    }

    // Runs the command line; fills m_out and m_err. Standard output is a
    // temporary file, or outPath opened for appending.
    int Run(const std::vector<std::string>& args, const std::string& outPath = "") {
        const ParsedCommandLine parsed = ParseExportOptions(args);
        EXPECT_EQ(parsed.error, "");
        std::FILE* out = outPath.empty() ? std::tmpfile() : std::fopen(outPath.c_str(), "a");
        std::FILE* err = std::tmpfile();
        const int status = RunExportCommand(parsed.options, out, err);
        m_out = outPath.empty() ? testing_support::ReadStream(out) : "";
        m_err = testing_support::ReadStream(err);
        std::fclose(out);
        std::fclose(err);
        return status;
    }
    std::string Path(const char* name) const { return m_dir.File(name); }
    void ExpectNothingLeftInFake() {
        EXPECT_EQ(m_fake.state().liveBlocks, 0);
        EXPECT_EQ(m_fake.state().liveObjects, 0);
        EXPECT_EQ(m_fake.state().badFrees, 0);
    }

    FakeBook m_fake;
    testing_support::TempDir m_dir;
    std::string m_book;
    std::string m_out;
    std::string m_err;
};

TEST_F(ExportCommandTest, SelectsByPositionAndByName) {
    const std::string out = Path("sel.vcf");
    const std::string done = " written to " + out + "\n";
    const std::string warning = "quorvel-export: warning: no contact's name matches ";
    struct Case {
        std::vector<std::string> selectors;
        std::string vcards, err;
        int status = kExitSuccess;
    };
    const Case cases[] = {
        {{"--select", "2,0"}, kVCardAnna + kVCardCleo, "2 contacts" + done},
        {{"-n", "nN"}, kVCardAnna, "1 contact" + done},
        {{"-n", "*O", "-n", "ber"}, kVCardBert + kVCardCleo, "2 contacts" + done},
        {{"-s", "0", "-n", "ANNA", "-n", "[ab]*"}, kVCardAnna + kVCardBert, "2 contacts" + done},
        {{"-q", "-n", "zed", "-n", "b?rt"}, kVCardBert, warning + "'zed'\n"},
        {{"-n", "ann?"}, kVCardAnna, "1 contact" + done},
        // No contact chosen: the file written before keeps its bytes.
        {{"-n", "an?", "-n", "x"},
         kVCardAnna,
         "quorvel-export: no contact's name matches 'an?', 'x'; " + out + " not written\n",
         kExitBookFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.selectors));
        std::vector<std::string> args = c.selectors;
        args.insert(args.end(), {"-o", out, m_book});
        EXPECT_EQ(Run(args), c.status);
        EXPECT_EQ(ReadFile(out), c.vcards);
        EXPECT_EQ(m_err, c.err);
    }
}

TEST_F(ExportCommandTest, ListsPositionsAndNames) {
    // Control bytes and the backslash cannot break a line or reach the terminal.
    m_fake.state().entries.push_back(Contact("Dan\tTab\nLF\x1B[2J\\", 4));
    EXPECT_EQ(Run({"--list", m_book}), kExitSuccess);
    EXPECT_EQ(m_out, "0\tAnna\n1\tBert\n2\tCleo\n3\tDan\\tTab\\nLF\\x1B[2J\\\\\n");
    EXPECT_EQ(m_err, "");
    // So can they not in --verbose, where values left out follow their contact's
    // name; -q silences the list and the count.
    const std::string dan = "Dan\\tTab\\nLF\\x1B[2J\\\\";
    for (const char* option : {"-v", "-qv"}) {
        EXPECT_EQ(Run({option, "-f", "csv", "-n", "dan", "-o", "-", m_book}), kExitSuccess);
        EXPECT_EQ(m_err, option[1] == 'q' ? ""
                                          : dan + "\tGiven name\tgiven " + dan +
                                                "\n1 contact written to standard output\n"
                                                "quorvel-export: 1 value has no place in CSV and "
                                                "is not in standard output: 1 name part\n");
    }
    // Only the chosen contacts, at their positions.
    EXPECT_EQ(Run({"--list", "-n", "c*", "-s", "0", m_book}), kExitSuccess);
    EXPECT_EQ(m_out, "0\tAnna\n2\tCleo\n");
}

// Every failure is one line with its status; the book keeps its bytes, no
// file is left where nothing could be written, and the fake is left clean.
TEST_F(ExportCommandTest, FailuresSayOneLineAndGiveTheirStatus) {
    const std::string willNot = "quorvel-export: will not write ";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string error;
        std::string outPath = "";  // standard output: a temporary file when empty
        int fault = 0;             // 1: Bert cannot be opened; 2: the second listing call fails
    };
    const Case cases[] = {
        {{"-o", "-", m_book},
         kExitFileFailed,
         "quorvel-export: cannot write standard output: No space left on device\n",
         "/dev/full"},
        // One file as both header and data file is refused before either is written.
        {{"-f", "csv-split", "--header", Path("d.csv"), "-o", Path("./d.csv"), m_book},
         kExitUsage,
         willNot + Path("./d.csv") + " as both the header file and the data file\n"},
        {{"--select", "1,3", "-o", Path("x.vcf"), m_book},
         kExitUsage,
         "quorvel-export: --select: no contact at position 3 (" + m_book + " lists 3)\n"},
        {{"-f", "csv-split", "--header", Path("no/h.csv"), "-o", Path("d.csv"), m_book},
         kExitFileFailed,
         "quorvel-export: cannot open " + Path("no/h.csv") + ": No such file or directory\n"},
        {{"-o", Path("x.vcf"), m_book},
         kExitBookFailed,
         "quorvel-export: 1 of 3 contacts could not be read and are missing from " + Path("x.vcf") +
             "\n",
         "",
         1},
        {{"-o", Path("x.vcf"), m_book},
         kExitBookFailed,
         "quorvel-export: could not list every contact of " + m_book +
             " (code 0x8004011B); going on with the 2 listed\n",
         "",
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args) + " > " + c.outPath);
        m_fake.state() = FakeWabState();
        m_fake.state().entries = {Contact("Cleo", 3), Contact("Anna", 1), Contact("Bert", 2)};
        m_fake.state().entries[2].failOpen = c.fault == 1;
        m_fake.state().queryFailAt = c.fault == 2 ? 2 : -1;
        EXPECT_EQ(Run(c.args, c.outPath), c.status);
        EXPECT_EQ(m_err, c.error);
        EXPECT_EQ(ReadFile(m_book), "fake");
        EXPECT_FALSE(fs::exists(Path("d.csv")));
        ExpectNothingLeftInFake();
        if (c.status == kExitBookFailed) {
            // The contacts that could be read are still written.
            EXPECT_EQ(ReadFile(Path("x.vcf")), kVCardAnna + kVCardCleo);
            fs::remove(Path("x.vcf"));
        }
        EXPECT_FALSE(fs::exists(Path("x.vcf")));
    }
}

}  // namespace
