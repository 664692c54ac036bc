// quorvel-book: creates, inspects and generates address books.
#include "platform/InputPath.h"
#include "platform/OutOfMemory.h"
#include "platform/StandardOutput.h"
#include "platform/TempFileCleanup.h"
#include "wab32/BookFile.h"
#include "wab32/tool/BookDump.h"
#include "wab32/tool/ContactGenerator.h"
#include "wab32/tool/JsonSource.h"

#include <sys/stat.h>

#include <charconv>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace wab32;

constexpr const char* kUsage =
    "Usage: quorvel-book create [--force] BOOK.wab SOURCE.json\n"
    "       quorvel-book dump BOOK.wab\n"
    "       quorvel-book generate --contacts N [--seed S] [--force] BOOK.wab\n"
    "\n"
    "Creates, inspects and generates Quorvel address books (.wab).\n"
    "\n"
    "  create    build BOOK.wab from the entries of SOURCE.json (-: standard input)\n"
    "  dump      print every entry and property of BOOK.wab\n"
    "  generate  write N synthetic contacts (the same N and seed give the same book)\n"
    "\n"
    "Options:\n"
    "  --force         replace BOOK.wab if it is a regular file (through links)\n"
    "  --contacts N    number of entries to generate\n"
    "  --seed S        generator seed (default 1)\n"
    "  -h, --help      show this help\n"
    "      --version   print the version\n";

int UsageError(const std::string& message) {
    std::cerr << "quorvel-book: " << OneLine(message) << " (see quorvel-book --help)\n";
    return 2;
}

int FileFailure(const std::string& file, const std::string& reason) {
    std::cerr << "quorvel-book: " << OneLine(file + ": " + reason) << "\n";
    return 1;
}

// Refuses early, before any work, to replace a file without --force, and
// anything but a regular file (named directly or through links) even with it
// (Commit checks again when the book is put into place).
bool RefusedOverwrite(const std::string& book, bool force) {
    struct stat info {};
    if (::lstat(PlainFilePath(book).c_str(), &info) != 0) {
        return false;
    }
    if (const std::optional<InputPathProblem> problem = CheckInputPath(PlainFilePath(book))) {
        FileFailure(book, problem->reason + "; only a regular file is replaced");
        return true;
    }
    if (!force) {
        FileFailure(book, "file exists (use --force to replace it)");
        return true;
    }
    return false;
}

bool ParseCount(const std::string& text, std::uint64_t& value) {
    const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    return !text.empty() && ec == std::errc() && p == text.data() + text.size();
}

constexpr std::uint64_t kMaxEntries = 0xFFFFFFFFu;

struct Arguments {
    bool force = false;
    bool haveCount = false;
    std::uint64_t count = 0;
    std::uint64_t seed = 1;
    std::vector<std::string> files;
};

// Parses the arguments after the command; returns 0 or a usage error status.
int ParseArguments(int argc, char** argv, bool generate, Arguments& args) {
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--force") {
            args.force = true;
        } else if (generate && (a == "--contacts" || a == "--seed")) {
            if (i + 1 >= argc) {
                return UsageError(a + " needs a number");
            }
            std::uint64_t v = 0;
            if (!ParseCount(argv[++i], v)) {
                return UsageError(std::string("bad number for ") + a + ": " + argv[i]);
            }
            if (a == "--contacts") {
                // Every entry needs its own 32-bit entry id, and 0 is the book's.
                if (v > kMaxEntries) {
                    return UsageError("--contacts: at most " + std::to_string(kMaxEntries) +
                                      " entries fit in a book, not " + argv[i]);
                }
                args.count = v;
                args.haveCount = true;
            } else {
                args.seed = v;
            }
        } else if (a == "--") {
            for (++i; i < argc; ++i) {
                args.files.emplace_back(argv[i]);
            }
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError("unknown option " + a);
        } else {
            args.files.push_back(a);
        }
    }
    for (const std::string& file : args.files) {
        if (file.empty()) {
            // An unset variable in a script, not a file name.
            return UsageError("a file name is empty");
        }
    }
    return 0;
}

int Create(const Arguments& args) {
    if (args.files.size() != 2) {
        return UsageError("create needs BOOK.wab and SOURCE.json");
    }
    const std::string& book = args.files[0];
    const std::string& source = args.files[1];
    if (RefusedOverwrite(book, args.force)) {
        return 1;
    }
    std::vector<SourceEntry> entries;
    std::string error;
    if (!LoadJsonSource(source, entries, error)) {
        return FileFailure(source == "-" ? "standard input" : source, error);
    }
    CBookWriter writer;
    if (!writer.Begin(book)) {
        return FileFailure(book, writer.Error());
    }
    for (const SourceEntry& e : entries) {
        if (!writer.AddEntry(e.objectType, e.props)) {
            return FileFailure(book, writer.Error());
        }
    }
    if (!writer.Commit(args.force)) {
        return FileFailure(book, writer.Error());
    }
    return 0;
}

int Generate(const Arguments& args) {
    if (!args.haveCount) {
        return UsageError("generate needs --contacts N");
    }
    if (args.files.size() != 1) {
        return UsageError("generate needs one BOOK.wab");
    }
    const std::string& book = args.files[0];
    if (RefusedOverwrite(book, args.force)) {
        return 1;
    }
    CBookWriter writer;
    if (!writer.Begin(book) || !GenerateContacts(writer, args.count, args.seed) ||
        !writer.Commit(args.force)) {
        return FileFailure(book, writer.Error());
    }
    return 0;
}

int Dump(const Arguments& args) {
    if (args.files.size() != 1 || args.force) {
        return UsageError("dump needs one BOOK.wab");
    }
    std::string error;
    if (!DumpBook(args.files[0], std::cout, error)) {
        return FileFailure(args.files[0], error);
    }
    return 0;
}

int Run(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string command = argv[1];
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            return WriteStandardOutput("quorvel-book", kUsage) ? 0 : 1;
        }
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            return WriteStandardOutput("quorvel-book", "quorvel-book " QUORVEL_VERSION "\n") ? 0
                                                                                             : 1;
        }
    }
    Arguments args;
    if (command != "create" && command != "dump" && command != "generate") {
        return UsageError("unknown command " + command);
    }
    if (const int status = ParseArguments(argc, argv, command == "generate", args); status != 0) {
        return status;
    }
    if (command == "create") {
        return Create(args);
    }
    if (command == "generate") {
        return Generate(args);
    }
    return Dump(args);
}

}  // namespace

int main(int argc, char** argv) {
    InstallTempFileCleanup();
    return ExitStatusOf("quorvel-book", 1, [&] { return Run(argc, argv); });
}
