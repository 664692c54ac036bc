#pragma once

#include <string>
#include <vector>

// The command line of quorvel-export:
//   quorvel-export [-f vcard|csv|csv-split] -o OUT [--header HEADER]
//                  [--select I,J,...] [-q] [BOOK]
//   quorvel-export --list [BOOK] | -h | --help | --version
enum class ExportFormat { VCard, Csv, CsvSplit };

struct ExportOptions {
    ExportFormat format = ExportFormat::VCard;
    std::string output;
    std::string header;
    std::string book;  // empty: the default book
    bool hasSelection = false;
    std::vector<int> selection;  // 0-based list positions
    bool quiet = false;
    bool list = false;
    bool help = false;
    bool version = false;
};

struct ParsedCommandLine {
    ExportOptions options;
    std::string error;  // non-empty: a usage error, said in one line
};

// args: the arguments after the program name.
ParsedCommandLine ParseExportOptions(const std::vector<std::string>& args);

std::string ExportHelpText();
