#include "cli/ExportOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Args = std::vector<std::string>;

// The parsed options in one line: kind, output, header, book, positions,
// names, and q, v, l, help for quiet, verbose, list and help.
std::string Parsed(const Args& args) {
    const ParsedCommandLine parsed = ParseExportOptions(args);
    if (!parsed.error.empty()) {
        return "error: " + parsed.error;
    }
    const ExportOptions& o = parsed.options;
    std::string text = std::to_string(static_cast<int>(o.kind)) + " o=" + o.output +
                       " h=" + o.header + " b=" + o.book + " s=";
    for (int position : o.selection) {
        text += std::to_string(position) + ",";
    }
    for (const std::string& name : o.names) {
        text += " n=" + name;
    }
    return text + (o.hasSelection ? " sel" : "") + (o.quiet ? " q" : "") + (o.verbose ? " v" : "") +
           (o.list ? " l" : "") + (o.help ? " help" : "");
}

TEST(ExportOptionsTest, AcceptsTheDocumentedFormsAndRejectsUsageErrors) {
    const std::pair<Args, std::string> cases[] = {
        {{"-o", "a.vcf"}, "1005 o=a.vcf h= b= s="},
        {{"-o", "a.vcf", "b.wab"}, "1005 o=a.vcf h= b=b.wab s="},
        {{"b.wab", "-f", "csv", "--output=a.csv", "-q"}, "1006 o=a.csv h= b=b.wab s= q"},
        {{"--format=csv-split", "--header", "h.csv", "-o", "d.csv"}, "1004 o=d.csv h=h.csv b= s="},
        {{"-f", "vcard", "--select", "3,0,3", "-o", "x", "--select=7"},
         "1005 o=x h= b= s=3,0,3,7, sel"},
        {{"--list", "b.wab"}, "1005 o= h= b=b.wab s= l"},
        {{"-o", "x", "--", "-odd.wab"}, "1005 o=x h= b=-odd.wab s="},
        // Bundling, attached values, unique abbreviations, standard output.
        {{"-vqo", "a.vcf", "-fcsv"}, "1006 o=a.vcf h= b= s= q v"},
        {{"-qoa.vcf", "--out=b.vcf"}, "1005 o=b.vcf h= b= s= q"},
        {{"--form=csv-split", "--hea=h", "--ou", "-", "--sel=1", "-s2"},
         "1004 o=- h=h b= s=1,2, sel"},
        {{"--li", "-", "--verb"}, "1005 o= h= b=- s= v l"},
        {{"--help"}, "1005 o= h= b= s= help"},
        // Names repeat, take values that look like options, and join positions.
        {{"-n", "ann", "-o", "x", "--name=B*", "-n", "-s", "-nq", "-s0"},
         "1005 o=x h= b= s=0, n=ann n=B* n=-s n=q sel"},
        // Usage errors: one line each.
        {{}, "error: no output file given (-o OUT)"},
        {{"-o"}, "error: option -o needs a value"},
        {{"-o", "x", "-f", "pdf"}, "error: unknown format 'pdf' (use vcard, csv or csv-split)"},
        {{"-o", "x", "-f", "csv-split"}, "error: -f csv-split needs --header HEADER"},
        {{"-o", "x", "-f", "csv-split", "--header="}, "error: -f csv-split needs --header HEADER"},
        {{"-o", "x", "--header", "h"}, "error: --header belongs to -f csv-split only"},
        {{"-o", "x", "--select", ""}, "error: --select needs list positions like 0,2,5, not ''"},
        {{"-o", "x", "--select", "1,,2"},
         "error: --select needs list positions like 0,2,5, not '1,,2'"},
        {{"-o", "x", "--select", "2x"},
         "error: --select needs list positions like 0,2,5, not '2x'"},
        {{"-o", "x", "--frobnicate"}, "error: unknown option --frobnicate"},
        {{"-o", "x", "--quiet=yes"}, "error: option --quiet takes no value"},
        {{"-o", "x", "a.wab", "b.wab"}, "error: more than one address book given: b.wab"},
        {{"-o", "x", "--he"}, "error: option --he is ambiguous (--header, --help)"},
        {{"-qx", "-o", "x"}, "error: unknown option -x"},
        {{"-o", "x", "--header"}, "error: option --header needs a value"},
        {{"-o", "x", "-f", "csv-split", "--header", "-"},
         "error: --header cannot be standard output; name a file"},
        {{"-o", "x", "--name="}, "error: --name needs a name or a pattern"},
    };
    for (const auto& [args, expected] : cases) {
        EXPECT_EQ(Parsed(args), expected) << testing::PrintToString(args);
    }
}

}  // namespace
