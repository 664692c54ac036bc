#include "cli/ExportOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

TEST(ExportOptionsTest, AcceptsTheDocumentedForms) {
    struct Case {
        Args args;
        ExportKind format;
        std::string output, header, book;
        std::vector<int> selection;
        bool quiet, list;
    };
    const Case cases[] = {
        {{"-o", "a.vcf"}, ExportKind::VCards, "a.vcf", "", "", {}, false, false},
        {{"-o", "a.vcf", "b.wab"}, ExportKind::VCards, "a.vcf", "", "b.wab", {}, false, false},
        {{"b.wab", "-f", "csv", "--output=a.csv", "-q"},
         ExportKind::Csv,
         "a.csv",
         "",
         "b.wab",
         {},
         true,
         false},
        {{"--format=csv-split", "--header", "h.csv", "-o", "d.csv"},
         ExportKind::CsvSplit,
         "d.csv",
         "h.csv",
         "",
         {},
         false,
         false},
        {{"-f", "vcard", "--select", "3,0,3", "-o", "x", "--select=7"},
         ExportKind::VCards,
         "x",
         "",
         "",
         {3, 0, 3, 7},
         false,
         false},
        {{"--list", "b.wab"}, ExportKind::VCards, "", "", "b.wab", {}, false, true},
        {{"-o", "x", "--", "-odd.wab"}, ExportKind::VCards, "x", "", "-odd.wab", {}, false, false},
        // Bundling, attached values, unique abbreviations, standard output.
        {{"-qo", "a.vcf", "-fcsv"}, ExportKind::Csv, "a.vcf", "", "", {}, true, false},
        {{"-qoa.vcf", "--out=b.vcf"}, ExportKind::VCards, "b.vcf", "", "", {}, true, false},
        {{"--form=csv-split", "--hea=h", "--ou", "-", "--sel=1", "-s2"},
         ExportKind::CsvSplit,
         "-",
         "h",
         "",
         {1, 2},
         false,
         false},
        {{"--li", "-", "-q"}, ExportKind::VCards, "", "", "-", {}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const ParsedCommandLine parsed = ParseExportOptions(c.args);
        ASSERT_EQ(parsed.error, "");
        const ExportOptions& o = parsed.options;
        EXPECT_EQ(o.kind, c.format);
        EXPECT_EQ(o.output, c.output);
        EXPECT_EQ(o.header, c.header);
        EXPECT_EQ(o.book, c.book);
        EXPECT_EQ(o.selection, c.selection);
        EXPECT_EQ(o.hasSelection, !c.selection.empty());
        EXPECT_EQ(o.quiet, c.quiet);
        EXPECT_EQ(o.list, c.list);
    }
}

TEST(ExportOptionsTest, RejectsUsageErrorsWithOneLine) {
    struct Case {
        Args args;
        std::string error;
    };
    const Case cases[] = {
        {{}, "no output file given (-o OUT)"},
        {{"b.wab"}, "no output file given (-o OUT)"},
        {{"-o"}, "option -o needs a value"},
        {{"-o", "x", "-f", "pdf"}, "unknown format 'pdf' (use vcard, csv or csv-split)"},
        {{"-o", "x", "-f", "csv-split"}, "-f csv-split needs --header HEADER"},
        {{"-o", "x", "-f", "csv-split", "--header="}, "-f csv-split needs --header HEADER"},
        {{"-o", "x", "--header", "h"}, "--header belongs to -f csv-split only"},
        {{"-o", "x", "--select", ""}, "--select needs list positions like 0,2,5, not ''"},
        {{"-o", "x", "--select", "1,,2"}, "--select needs list positions like 0,2,5, not '1,,2'"},
        {{"-o", "x", "--select", "-1"}, "--select needs list positions like 0,2,5, not '-1'"},
        {{"-o", "x", "--select", "2x"}, "--select needs list positions like 0,2,5, not '2x'"},
        {{"-o", "x", "--select", "99999999999"},
         "--select needs list positions like 0,2,5, not '99999999999'"},
        {{"-o", "x", "--select", "1,"}, "--select needs list positions like 0,2,5, not '1,'"},
        {{"-o", "x", "--frobnicate"}, "unknown option --frobnicate"},
        {{"-o", "x", "--quiet=yes"}, "option --quiet takes no value"},
        {{"-o", "x", "a.wab", "b.wab"}, "more than one address book given: b.wab"},
        {{"-o", "x", "--he"}, "option --he is ambiguous (--header, --help)"},
        {{"-o", "x", "--li=1"}, "option --list takes no value"},
        {{"-qx", "-o", "x"}, "unknown option -x"},
        {{"-o", "x", "-f"}, "option -f needs a value"},
        {{"-o", "x", "--header"}, "option --header needs a value"},
        {{"-o", "x", "-f", "csv-split", "--header", "-"},
         "--header cannot be standard output; name a file"},
        {{"-o", "x", "--name="}, "--name needs a name or a pattern"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        EXPECT_EQ(ParseExportOptions(c.args).error, c.error);
    }
}

TEST(ExportOptionsTest, NamesAreRepeatedAndJoinPositions) {
    const ParsedCommandLine parsed =
        ParseExportOptions({"-n", "ann", "-o", "x", "--name=B*", "-n", "-s", "-nq", "-s0"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.names, (std::vector<std::string>{"ann", "B*", "-s", "q"}));
    EXPECT_EQ(parsed.options.selection, std::vector<int>{0});
    EXPECT_TRUE(parsed.options.hasSelection);
    EXPECT_FALSE(parsed.options.quiet);
}

TEST(ExportOptionsTest, HelpNamesEveryOptionAndExitStatus) {
    const std::string help = ExportHelpText();
    for (const char* word :
         {"-f, --format", "-o, --output", "--header", "-s, --select", "-n, --name", "shell pattern",
          "-q, --quiet", "--list", "-h, --help", "--version", "vcard", "csv-split", "  0  ",
          "  1  ", "  2  ", "  3  "}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
    const ParsedCommandLine parsed = ParseExportOptions({"--help"});
    EXPECT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.options.help);
}

}  // namespace
