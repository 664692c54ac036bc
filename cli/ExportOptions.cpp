#include "cli/ExportOptions.h"

#include <getopt.h>

#include <charconv>
#include <cstring>
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

std::optional<ExportKind> ParseFormat(const std::string& text) {
    if (text == "vcard") {
        return ExportKind::VCards;
    }
    if (text == "csv") {
        return ExportKind::Csv;
    }
    if (text == "csv-split") {
        return ExportKind::CsvSplit;
    }
    return std::nullopt;
}

// Values of the long options that have no short form.
enum : int { kHeader = 256, kList, kVersion };

constexpr const char* kShortOptions = ":f:o:s:n:qvh";
// clang-format off
const option kLongOptions[] = {
    {"format", required_argument, nullptr, 'f'},     {"output", required_argument, nullptr, 'o'},
    {"header", required_argument, nullptr, kHeader}, {"select", required_argument, nullptr, 's'},
    {"name", required_argument, nullptr, 'n'},       {"quiet", no_argument, nullptr, 'q'},
    {"list", no_argument, nullptr, kList},           {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersion},     {"verbose", no_argument, nullptr, 'v'},
    {nullptr, 0, nullptr, 0},
};
// clang-format on

// The option as the user wrote it, for messages: "-x", or "--name" without
// any "=value".
std::string Spelling(const char* arg, int shortOption) {
    if (std::strncmp(arg, "--", 2) == 0) {
        return std::string(arg, std::strcspn(arg, "="));
    }
    return std::string("-") + static_cast<char>(shortOption);
}

// Why getopt_long refused a long option: unknown, ambiguous, or given a value
// it does not take.
std::string LongOptionError(const std::string& name, bool hasValue) {
    std::vector<std::string> candidates;
    for (const option* o = kLongOptions; o->name != nullptr; ++o) {
        if (std::strncmp(o->name, name.c_str() + 2, name.size() - 2) == 0) {
            if (name.size() - 2 == std::strlen(o->name)) {
                candidates.assign(1, o->name);
                break;
            }
            candidates.emplace_back(o->name);
        }
    }
    if (candidates.size() > 1) {
        std::string error = "option " + name + " is ambiguous (";
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            error += (i > 0 ? ", --" : "--") + candidates[i];
        }
        return error + ")";
    }
    if (candidates.size() == 1 && hasValue) {
        return "option --" + candidates[0] + " takes no value";
    }
    return "unknown option " + name;
}

}  // namespace

ParsedCommandLine ParseExportOptions(const std::vector<std::string>& args) {
    ParsedCommandLine parsed;
    ExportOptions& options = parsed.options;
    bool hasHeader = false;

    // getopt_long wants a writable argv with the program name first; it moves
    // the operands to the end of argv, after the options.
    std::vector<std::string> storage;
    storage.reserve(args.size() + 1);
    storage.emplace_back("quorvel-export");
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : storage) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const int argc = static_cast<int>(storage.size());

    optind = 0;  // start afresh: glibc's full reinitialisation
    opterr = 0;  // messages are ours, one line each
    int c = 0;
    while ((c = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, nullptr)) != -1) {
        const char* arg = argv[static_cast<std::size_t>(optind - 1)];
        if (c == ':') {
            parsed.error = "option " + Spelling(arg, optopt) + " needs a value";
            return parsed;
        }
        if (c == '?') {
            if (std::strncmp(arg, "--", 2) == 0) {
                parsed.error = LongOptionError(Spelling(arg, 0), std::strchr(arg, '=') != nullptr);
            } else {
                parsed.error = "unknown option -" + std::string(1, static_cast<char>(optopt));
            }
            return parsed;
        }
        const std::string value = optarg != nullptr ? optarg : "";
        switch (c) {
            case 'f': {
                const auto format = ParseFormat(value);
                if (!format) {
                    parsed.error = "unknown format '" + value + "' (use vcard, csv or csv-split)";
                    return parsed;
                }
                options.kind = *format;
                break;
            }
            case 'o':
                options.output = value;
                break;
            case kHeader:
                if (value == kStandardOutputName) {
                    parsed.error = "--header cannot be standard output; name a file";
                    return parsed;
                }
                options.header = value;
                hasHeader = true;
                break;
            case 's': {
                const auto selection = ParseSelection(value);
                if (!selection) {
                    parsed.error = "--select needs list positions like 0,2,5, not '" + value + "'";
                    return parsed;
                }
                options.selection.insert(options.selection.end(), selection->begin(),
                                         selection->end());
                options.hasSelection = true;
                break;
            }
            case 'n':
                if (value.empty()) {
                    parsed.error = "--name needs a name or a pattern";
                    return parsed;
                }
                options.names.push_back(value);
                options.hasSelection = true;
                break;
            case 'q':
                options.quiet = true;
                break;
            case 'v':
                options.verbose = true;
                break;
            case kList:
                options.list = true;
                break;
            case 'h':
                options.help = true;
                break;
            case kVersion:
                options.version = true;
                break;
            default:
                break;
        }
    }
    for (int i = optind; i < argc; ++i) {
        if (i > optind) {
            parsed.error = std::string("more than one address book given: ") +
                           argv[static_cast<std::size_t>(i)];
            return parsed;
        }
        options.book = argv[static_cast<std::size_t>(i)];
        if (options.book.empty()) {
            // An unset variable in a script, not a request for the default book.
            parsed.error = "the address book named is empty (leave BOOK out for the default book)";
            return parsed;
        }
    }

    if (options.help || options.version || options.list) {
        return parsed;
    }
    if (options.output.empty()) {
        parsed.error = "no output file given (-o OUT)";
    } else if (options.kind == ExportKind::CsvSplit && (!hasHeader || options.header.empty())) {
        parsed.error = "-f csv-split needs --header HEADER";
    } else if (options.kind != ExportKind::CsvSplit && hasHeader) {
        parsed.error = "--header belongs to -f csv-split only";
    }
    return parsed;
}

std::string ExportHelpText() {
    return R"(Usage: quorvel-export [-f vcard|csv|csv-split] -o OUT [--header HEADER]
                      [-s I,J,...] [-n NAME]... [-q | -v] [BOOK]
       quorvel-export --list [-s I,J,...] [-n NAME]... [BOOK]

Exports the contacts of an address book (BOOK, a .wab file or a vCard file;
without it the default address book) as vCard 2.1 or CSV files, the same files the Quorvel
dialog writes. Lines end in CR LF.

Options:
  -f, --format=KIND    vcard (default): one vCard file;
                       csv: one CSV file, the header line, then one row
                       per contact;
                       csv-split: the header line in HEADER, the rows in OUT
  -o, --output=OUT     the file to write; an existing file is replaced whole
                       once all is written (its permission bits kept, the
                       exporting user its owner, other hard links left with
                       the old bytes, a link's file replaced); - and
                       /dev/stdout write to standard output
      --header=HEADER  the header file of -f csv-split, written and closed
                       first (never standard output)
  -s, --select=I,J,... export (or list) the contacts at these 0-based list
                       positions (see --list)
  -n, --name=NAME      export the contacts whose display name contains NAME,
                       ignoring the case of A to Z; a NAME with *, ? or [ is
                       a shell pattern that must match the whole name
                       (-n 'Ann*' matches "Anna Berg" and "annie")
  -q, --quiet          no progress bar and no summary lines
  -v, --verbose        no progress bar; each value the format has no place
                       for, as its contact is written: display name, tab,
                       label, tab, value
      --list           print the listed contacts (position, tab, display name)
                       in list order, or those --select and --name choose,
                       and exit
  -h, --help           print this help and exit
      --version        print the version and exit

--select and --name may be repeated and combined: a contact chosen by any of
them is exported, once, in list order. Without them every contact is
exported; when they choose none, nothing is written and the status is 1.
Options may be bundled (-qo OUT), abbreviated while unique (--form=csv) and
ended by --. A summary line goes to standard error, and one more when the
format has no place for some values of the contacts written (vCard 2.1: a
name prefix or suffix, a nickname, a second phone of a kind, a third
address, ...; CSV also the given, middle and surname and the home fax), such as
  quorvel-export: 6 values have no place in vCard 2.1 and are not in
  out.vcf: 2 phones, 2 addresses, 2 name parts
(one line); it does not change the exit status.

Exit status:
  0  success
  1  the address book cannot be opened, some contacts could not be read
     (the others are still written), or --name chose no contact
  2  usage error
  3  an output file cannot be opened, written or closed

Examples:
  quorvel-export -o contacts.vcf friends.wab
  quorvel-export -f csv -o contacts.csv friends.wab
  quorvel-export -f csv-split --header header.csv -o data.csv friends.wab
  quorvel-export --list friends.wab
  quorvel-export --select 0,3 -o two.vcf friends.wab
  quorvel-export -n smith -n 'J*' -o - friends.wab | less
)";
}
