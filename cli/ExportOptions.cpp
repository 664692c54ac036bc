#include "cli/ExportOptions.h"

#include <charconv>
#include <climits>
#include <optional>

namespace {

std::optional<std::vector<int>> ParseSelection(const std::string& text) {
    std::vector<int> positions;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::size_t end = comma == std::string::npos ? text.size() : comma;
        const char* first = text.data() + start;
        const char* last = text.data() + end;
        int value = 0;
        const auto [stop, error] = std::from_chars(first, last, value);
        if (first == last || error != std::errc() || stop != last || value < 0) {
            return std::nullopt;
        }
        positions.push_back(value);
        if (comma == std::string::npos) {
            return positions;
        }
        start = comma + 1;
    }
}

std::optional<ExportFormat> ParseFormat(const std::string& text) {
    if (text == "vcard") {
        return ExportFormat::VCard;
    }
    if (text == "csv") {
        return ExportFormat::Csv;
    }
    if (text == "csv-split") {
        return ExportFormat::CsvSplit;
    }
    return std::nullopt;
}

}  // namespace

ParsedCommandLine ParseExportOptions(const std::vector<std::string>& args) {
    ParsedCommandLine parsed;
    ExportOptions& options = parsed.options;
    bool hasBook = false;
    bool hasHeader = false;
    bool optionsEnded = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            if (hasBook) {
                parsed.error = "more than one address book given: " + arg;
                return parsed;
            }
            options.book = arg;
            hasBook = true;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }

        // Options with a value: "-f X", "--format X" or "--format=X".
        std::string name = arg;
        std::optional<std::string> value;
        if (arg.rfind("--", 0) == 0) {
            const std::size_t equals = arg.find('=');
            if (equals != std::string::npos) {
                name = arg.substr(0, equals);
                value = arg.substr(equals + 1);
            }
        }
        const bool takesValue = name == "-f" || name == "--format" || name == "-o" ||
                                name == "--output" || name == "--header" || name == "--select";
        if (takesValue && !value) {
            if (i + 1 >= args.size()) {
                parsed.error = "option " + name + " needs a value";
                return parsed;
            }
            value = args[++i];
        } else if (!takesValue && value) {
            parsed.error = "option " + name + " takes no value";
            return parsed;
        }

        if (name == "-f" || name == "--format") {
            const auto format = ParseFormat(*value);
            if (!format) {
                parsed.error = "unknown format '" + *value + "' (use vcard, csv or csv-split)";
                return parsed;
            }
            options.format = *format;
        } else if (name == "-o" || name == "--output") {
            options.output = *value;
        } else if (name == "--header") {
            options.header = *value;
            hasHeader = true;
        } else if (name == "--select") {
            const auto selection = ParseSelection(*value);
            if (!selection) {
                parsed.error = "--select needs list positions like 0,2,5, not '" + *value + "'";
                return parsed;
            }
            options.selection.insert(options.selection.end(), selection->begin(), selection->end());
            options.hasSelection = true;
        } else if (name == "-q" || name == "--quiet") {
            options.quiet = true;
        } else if (name == "--list") {
            options.list = true;
        } else if (name == "-h" || name == "--help") {
            options.help = true;
        } else if (name == "--version") {
            options.version = true;
        } else {
            parsed.error = "unknown option " + name;
            return parsed;
        }
    }

    if (options.help || options.version || options.list) {
        return parsed;
    }
    if (options.output.empty()) {
        parsed.error = "no output file given (-o OUT)";
    } else if (options.format == ExportFormat::CsvSplit && (!hasHeader || options.header.empty())) {
        parsed.error = "-f csv-split needs --header HEADER";
    } else if (options.format != ExportFormat::CsvSplit && hasHeader) {
        parsed.error = "--header belongs to -f csv-split only";
    }
    return parsed;
}

std::string ExportHelpText() {
    return R"(Usage: quorvel-export [-f vcard|csv|csv-split] -o OUT [--header HEADER]
                      [--select I,J,...] [-q] [BOOK]
       quorvel-export --list [BOOK]

Exports the contacts of an address book (BOOK, a .wab file or a vCard file;
without it the default address book) as vCard 2.1 or CSV files, the same files the Quorvel
dialog writes. Lines end in CR LF.

Options:
  -f, --format KIND    vcard (default): one vCard file;
                       csv: one CSV file, the header line then one row per contact;
                       csv-split: the header line in HEADER, the rows in OUT
  -o, --output OUT     the file to write (created, or emptied if it exists)
      --header HEADER  the header file of -f csv-split, written and closed first
      --select I,J,... export only the contacts at these 0-based list positions
                       (see --list); default: every contact
  -q, --quiet          no progress bar (it is drawn on standard error only
                       when that is a terminal)
      --list           print the listed contacts (position, tab, display name)
                       in list order and exit
  -h, --help           print this help and exit
      --version        print the version and exit

Exit status:
  0  success
  1  the address book cannot be opened, or some contacts could not be read
     (the others are still written)
  2  usage error
  3  an output file cannot be opened, written or closed

Examples:
  quorvel-export -o contacts.vcf friends.wab
  quorvel-export -f csv -o contacts.csv friends.wab
  quorvel-export -f csv-split --header header.csv -o data.csv friends.wab
  quorvel-export --list friends.wab
  quorvel-export --select 0,3 -o two.vcf friends.wab
)";
}
