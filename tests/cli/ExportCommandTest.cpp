#include "cli/ExportCommand.h"
#include "tests/addressbook/FakeBook.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace {

namespace fs = std::filesystem;

using testing_support::ReadFile;

std::string Contents(std::FILE* stream) {
    std::fflush(stream);
    std::string text(static_cast<std::size_t>(std::ftell(stream)), '\0');
    std::rewind(stream);
    text.resize(std::fread(text.data(), 1, text.size(), stream));
    return text;
}

std::string VCard(const std::string& name) {
    return "BEGIN:VCARD\r\nVERSION:2.1\r\nN:;given " + name + ";;;\r\nFN:" + name +
           "\r\nEND:VCARD\r\n";
}
std::string Row(const std::string& name) {
    return "\"" + name + "\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";
}
const std::string kVCardAnna = VCard("Anna"), kVCardBert = VCard("Bert"),
                  kVCardCleo = VCard("Cleo"), kRowAnna = Row("Anna"), kRowBert = Row("Bert"),
                  kRowCleo = Row("Cleo");
const char* const kHeader = "Name,Birthday,Hm Addr,Hm,Mob,Wk Info,Wk,Page,FAX,EMail,URLs,Note\r\n";

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
        m_out = outPath.empty() ? Contents(out) : "";
        m_err = Contents(err);
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

TEST_F(ExportCommandTest, WritesEachKindInListOrder) {
    EXPECT_EQ(Run({"-o", Path("all.vcf"), m_book}), kExitSuccess);
    EXPECT_EQ(m_err, "3 contacts written to " + Path("all.vcf") + "\n");
    EXPECT_EQ(ReadFile(Path("all.vcf")), kVCardAnna + kVCardBert + kVCardCleo);

    EXPECT_EQ(Run({"-f", "csv", "-o", Path("all.csv"), m_book}), kExitSuccess);
    EXPECT_EQ(ReadFile(Path("all.csv")), kHeader + kRowAnna + kRowBert + kRowCleo);

    EXPECT_EQ(Run({"-f", "csv-split", "--header", Path("h.csv"), "-o", Path("d.csv"), m_book}),
              kExitSuccess);
    EXPECT_EQ(ReadFile(Path("h.csv")), kHeader);
    EXPECT_EQ(ReadFile(Path("d.csv")), kRowAnna + kRowBert + kRowCleo);

    // One file as both header and data file is refused before either is written.
    EXPECT_EQ(Run({"-f", "csv-split", "--header", Path("s.csv"), "-o", Path("./s.csv"), m_book}),
              kExitUsage);
    EXPECT_FALSE(fs::exists(Path("s.csv")));
    ExpectNothingLeftInFake();
}

TEST_F(ExportCommandTest, SelectsByPositionAndByName) {
    const std::string out = Path("sel.vcf");
    const std::string done = " written to " + out + "\n";
    const std::string warning = "quorvel-export: warning: no contact's name matches ";
    struct Case {
        std::vector<std::string> selectors;
        std::string vcards, err;
    };
    const Case cases[] = {
        {{"--select", "2,0"}, kVCardAnna + kVCardCleo, "2 contacts" + done},
        {{"-n", "nN"}, kVCardAnna, "1 contact" + done},
        {{"-n", "*O", "-n", "ber"}, kVCardBert + kVCardCleo, "2 contacts" + done},
        {{"-s", "0", "-n", "ANNA", "-n", "[ab]*"}, kVCardAnna + kVCardBert, "2 contacts" + done},
        {{"-q", "-n", "zed", "-n", "b?rt"}, kVCardBert, warning + "'zed'\n"},
        {{"-n", "ann?"}, kVCardAnna, "1 contact" + done},
        {{"-n", "an?"}, "", warning + "'an?'\n0 contacts" + done},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.selectors));
        std::vector<std::string> args = c.selectors;
        args.insert(args.end(), {"-o", out, m_book});
        EXPECT_EQ(Run(args), kExitSuccess);
        EXPECT_EQ(ReadFile(out), c.vcards);
        EXPECT_EQ(m_err, c.err);
    }

    EXPECT_EQ(Run({"--select", "1,3", "-o", Path("bad.vcf"), m_book}), kExitUsage);
    EXPECT_EQ(m_err,
              "quorvel-export: --select: no contact at position 3 (" + m_book + " lists 3)\n");
    EXPECT_FALSE(fs::exists(Path("bad.vcf")));
}

TEST_F(ExportCommandTest, NeverWritesOverTheBook) {
    const std::string link = Path("link.wab");
    fs::create_symlink(m_book, link);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"-o", m_book, m_book},
             {"-o", link, m_book},
             {"-f", "csv-split", "--header", m_book, "-o", Path("d.csv"), m_book}}) {
        SCOPED_TRACE(testing::PrintToString(args));
        EXPECT_EQ(Run(args), kExitUsage);
        EXPECT_NE(m_err.find(": it is the address book being read\n"), std::string::npos) << m_err;
        EXPECT_EQ(ReadFile(m_book), "fake");
    }
    EXPECT_FALSE(fs::exists(Path("d.csv")));
}

TEST_F(ExportCommandTest, WritesToStandardOutputButNeverIntoTheBook) {
    struct Case {
        std::vector<std::string> args;
        std::string outPath;  // empty: a temporary file
        int status;
        std::string out, err;
    };
    const std::string rows = kRowAnna + kRowBert + kRowCleo;
    const Case cases[] = {
        {{"-o", "-", m_book},
         "",
         kExitSuccess,
         kVCardAnna + kVCardBert + kVCardCleo,
         "3 contacts written to standard output\n"},
        {{"-f", "csv-split", "--header", Path("h.csv"), "-o", "-", m_book},
         "",
         kExitSuccess,
         rows,
         "3 contacts written to standard output, the header line to " + Path("h.csv") + "\n"},
        {{"-o", "-", m_book},
         "/dev/full",
         kExitFileFailed,
         "",
         "quorvel-export: cannot write standard output: No space left on device\n"},
        {{"-o", "-", m_book},
         m_book,
         kExitUsage,
         "",
         "quorvel-export: will not write standard output: it is the address book being read\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args) + " > " + c.outPath);
        EXPECT_EQ(Run(c.args, c.outPath), c.status);
        EXPECT_EQ(m_out, c.out);
        EXPECT_EQ(m_err, c.err);
        EXPECT_EQ(ReadFile(m_book), "fake");
    }
    EXPECT_EQ(ReadFile(Path("h.csv")), kHeader);
}

TEST_F(ExportCommandTest, ListsPositionsAndNames) {
    EXPECT_EQ(Run({"--list", m_book}), kExitSuccess);
    EXPECT_EQ(m_out, "0\tAnna\n1\tBert\n2\tCleo\n");
    EXPECT_EQ(m_err, "");
    // Control bytes and the backslash cannot break a line or reach the terminal.
    m_fake.state().entries.push_back(Contact("Dan\tTab\nLF\x1B[2J\\", 4));
    m_out.clear();
    EXPECT_EQ(Run({"--list", m_book}), kExitSuccess);
    EXPECT_EQ(m_out, "0\tAnna\n1\tBert\n2\tCleo\n3\tDan\\tTab\\nLF\\x1B[2J\\\\\n");
}

TEST_F(ExportCommandTest, FailuresSayOneLineAndGiveTheirStatus) {
    struct Case {
        const char* what;
        std::function<void(FakeWabState&)> arrange;
        std::vector<std::string> args;
        int status;
        std::string error;
    };
    const Case cases[] = {
        {"header file that cannot be opened",
         nullptr,
         {"-f", "csv-split", "--header", Path("no/h.csv"), "-o", Path("d.csv"), m_book},
         kExitFileFailed,
         "quorvel-export: cannot open " + Path("no/h.csv") + ": No such file or directory\n"},
        {"header file that cannot be written",
         nullptr,
         {"-f", "csv-split", "--header", "/dev/full", "-o", Path("d.csv"), m_book},
         kExitFileFailed,
         "quorvel-export: cannot write /dev/full: No space left on device\n"},
        {"unreadable contact",
         [](FakeWabState& s) { s.entries[2].failOpen = true; },
         {"-o", Path("x.vcf"), m_book},
         kExitBookFailed,
         "quorvel-export: 1 of 3 contacts could not be read and are missing from " + Path("x.vcf") +
             "\n"},
        {"listing that fails part-way",
         [](FakeWabState& s) {
             s.queryFailAt = 2;
             s.queryFailCode = MAPI_E_CORRUPT_DATA;
         },
         {"-o", Path("x.vcf"), m_book},
         kExitBookFailed,
         "quorvel-export: could not list every contact of " + m_book +
             " (code 0x8004011B); going on with the 2 listed\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_fake.state() = FakeWabState();
        m_fake.state().entries = {Contact("Cleo", 3), Contact("Anna", 1), Contact("Bert", 2)};
        if (c.arrange) {
            c.arrange(m_fake.state());
        }
        fs::remove(Path("x.vcf"));
        fs::remove(Path("d.csv"));
        EXPECT_EQ(Run(c.args), c.status);
        EXPECT_EQ(m_err, c.error);
        ExpectNothingLeftInFake();
    }
    // The contacts that could be read are still written.
    m_fake.state().entries[2].failOpen = true;
    Run({"-o", Path("x.vcf"), m_book});
    EXPECT_EQ(ReadFile(Path("x.vcf")), kVCardAnna + kVCardCleo);
    EXPECT_FALSE(fs::exists(Path("d.csv")));
}

}  // namespace
