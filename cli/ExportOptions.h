#pragma once

#include "core/ContactTypes.h"

#include <string>
#include <vector>

// The command line of quorvel-export:
//   quorvel-export [-f vcard|csv|csv-split] -o OUT [--header HEADER]
//                  [-s I,J,...] [-n NAME]... [-q | -v] [BOOK]
//   quorvel-export --list [-s I,J,...] [-n NAME]... [BOOK] | -h | --help | --version

// The output name that stands for standard output.
inline constexpr const char* kStandardOutputName = "-";

struct ExportOptions {
    ExportKind kind = ExportKind::VCards;
    std::string output;
    std::string header;
    std::string book;                // empty: the default book
    bool hasSelection = false;       // --select or --name given
    std::vector<int> selection;      // 0-based list positions
    std::vector<std::string> names;  // substrings or shell patterns (MatchesName)
    bool quiet = false;
    bool verbose = false;  // list each value the format has no place for
    bool list = false;
    bool help = false;
    bool version = false;
};

struct ParsedCommandLine {
    ExportOptions options;
    std::string error;  // non-empty: a usage error, said in one line
};

// args: the arguments after the program name, parsed as getopt_long does
// (bundled short options, --opt=value, unique abbreviations, "--").
ParsedCommandLine ParseExportOptions(const std::vector<std::string>& args);

std::string ExportHelpText();
