#include "cli/ExportCommand.h"

#include "addressbook/AddressBookSession.h"
#include "cli/CompactList.h"
#include "cli/ContactSelection.h"
#include "cli/TerminalProgress.h"
#include "core/ExportFiles.h"
#include "core/ExportRun.h"
#include "core/LeftOutValues.h"
#include "platform/FileError.h"
#include "platform/StandardOutput.h"
#include "platform/TextFile.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr const char* kProgram = "quorvel-export";

// One line on err, whatever bytes the names and paths in it hold.
void Fail(std::FILE* err, const std::string& message) {
    std::fprintf(err, "%s: %s\n", kProgram, OneLine(message).c_str());
}

// An output path as messages name it: "-" is standard output.
std::string Title(const std::string& path) {
    return path == kStandardOutputName ? std::string("standard output") : path;
}

// Opens an output file that replaces the old one only once it is whole, or
// standard output for "-"; never the book.
OpenedFile OpenOutput(TextFile& file, const std::string& path,
                      const std::optional<FileIdentity>& book, std::FILE* out) {
    const std::string title = Title(path);
    FileError error(title, 0);
    const bool opened =
        path == kStandardOutputName
            ? std::fflush(out) == 0 && file.OpenDescriptor(fileno(out), title, &error, book)
            : file.Open(path, &error, book, WriteMode::Replace);
    return opened ? OpenedFile{&file, std::nullopt} : OpenedFile{nullptr, error};
}

// The descriptor an output is written through: standard output for "-",
// or the one a path such as /dev/stdout names; nullopt for other paths.
std::optional<int> DescriptorOf(const std::string& path, std::FILE* out) {
    return path == kStandardOutputName ? std::optional<int>(fileno(out)) : OwnDescriptorOf(path);
}

// The file an output would be written to: its descriptor's or its path's.
std::optional<FileIdentity> IdentityOfOutput(const std::string& path, std::FILE* out) {
    const std::optional<int> fd = DescriptorOf(path, out);
    return fd ? IdentityOfFd(*fd) : IdentityOfPath(path);
}

// Whether two outputs are one file (an existing one, or one path).
bool SameOutput(const std::string& a, const std::string& b, std::FILE* out) {
    const std::optional<FileIdentity> first = IdentityOfOutput(a, out);
    if (first) {
        return first == IdentityOfOutput(b, out);
    }
    std::error_code ec;
    return std::filesystem::weakly_canonical(std::filesystem::absolute(a, ec), ec) ==
           std::filesystem::weakly_canonical(std::filesystem::absolute(b, ec), ec);
}

// "12 contacts written to out.vcf", and where the header line went.
std::string ExportSummary(long long written, const ExportOptions& options) {
    std::string summary = std::to_string(written) + (written == 1 ? " contact" : " contacts") +
                          " written to " + Title(options.output);
    if (options.kind == ExportKind::CsvSplit) {
        summary += ", the header line to " + Title(options.header);
    }
    return summary;
}

// Refuses, before the book is opened, outputs that cannot be written as
// asked: a descriptor that is not open (/dev/fd/9), standard output as the
// header file however it is named, one file as both header and data file.
int CheckOutputs(const ExportOptions& options, std::FILE* out, std::FILE* err) {
    if (options.list) {
        return kExitSuccess;
    }
    const bool split = options.kind == ExportKind::CsvSplit;
    for (const std::string* path : {&options.output, &options.header}) {
        const std::optional<int> fd = DescriptorOf(*path, out);
        if ((split || path == &options.output) && fd && ::fcntl(*fd, F_GETFD) < 0) {
            Fail(err, "cannot open " + Title(*path) + ": " + std::strerror(errno));
            return kExitFileFailed;
        }
    }
    if (split && DescriptorOf(options.header, out) == fileno(out)) {
        Fail(err, "--header cannot be standard output; name a file");
        return kExitUsage;
    }
    if (split && SameOutput(options.header, options.output, out)) {
        Fail(err, "will not write " + Title(options.output) +
                      " as both the header file and the data file");
        return kExitUsage;
    }
    return kExitSuccess;
}

// An opened book and its listed contacts.
struct OpenedBook {
    explicit OpenedBook(const std::string& path) : session(path) {}
    CAddressBookSession session;
    CompactList list;
    std::string name;           // as messages name it
    int status = kExitSuccess;  // kExitBookFailed when not every contact was listed
};

// Opens the book and lists its contacts; false, once it has said why, when
// the book does not open.
bool OpenBook(OpenedBook& book, const std::string& path, std::FILE* err) {
    book.name = path.empty() ? "the default address book " + book.session.BookPath() : path;
    if (!book.session.m_bOpened) {
        Fail(err, "cannot open " + (path.empty() ? book.name : "address book " + book.name) + ": " +
                      book.session.OpenError());
        return false;
    }
    const HRESULT filled = book.session.FillList(book.list);
    if (FAILED(filled)) {
        Fail(err, "could not list every contact of " + book.name + " (code " + HexCode(filled) +
                      "); going on with the " + std::to_string(book.list.GetItemCount()) +
                      " listed");
        book.status = kExitBookFailed;
    }
    return true;
}

// Marks the contacts --select and --name choose and gives nullopt when some
// are chosen. Otherwise it says why and gives the exit status: a usage error
// for a position beyond the list, 1 when no contact is chosen (nothing is written).
std::optional<int> ChooseContacts(const ExportOptions& options, OpenedBook& book, std::FILE* err) {
    const SelectionResult selected = SelectContacts(options, book.list);
    if (!selected.error.empty()) {
        Fail(err, selected.error + " (" + book.name + " lists " +
                      std::to_string(book.list.GetItemCount()) + ")");
        return kExitUsage;
    }
    std::string names;
    for (const std::string& name : selected.unmatched) {
        names += (names.empty() ? "'" : ", '") + name + "'";
    }
    if (book.list.GetNextItem(-1, LVNI_SELECTED) < 0) {
        Fail(err, "no contact's name matches " + names + "; " +
                      (options.list ? "nothing listed" : Title(options.output) + " not written"));
        return kExitBookFailed;
    }
    if (!names.empty()) {
        Fail(err, "warning: no contact's name matches " + names);
    }
    return std::nullopt;
}

// Writes the chosen contacts into the output files; nullopt once a write or
// close failure has been told.
std::optional<ExportResult> Export(const ExportOptions& options, OpenedBook& book,
                                   ExportScope scope, std::FILE* out, std::FILE* err) {
    const bool verbose = options.verbose && !options.quiet;
    TerminalProgress progress(err, !options.quiet && !verbose && TerminalProgress::IsTerminal(err),
                              CountCovered(book.list, scope));
    ListLeftOut listLeftOut;
    if (verbose) {
        // One line per value: the contact's listed name, its label, its text.
        listLeftOut = [&book, err](const LeftOutValue& value) {
            const std::string line = OneLine(book.list.GetItemText(value.position)) + "\t" +
                                     std::string(value.label) + "\t" + OneLine(value.text) + "\n";
            std::fputs(line.c_str(), err);
        };
    }
    TextFile file;
    const auto open = [&](ExportFile part) {
        const std::string& path = part == ExportFile::Header ? options.header : options.output;
        return OpenOutput(file, path, book.session.BookIdentity(), out);
    };
    try {
        return ExportToFiles(options.kind, open, book.list, scope, progress, book.session,
                             listLeftOut);
    } catch (const FileError& error) {
        progress.SetPos(0);
        Fail(err, "cannot write " + error.path() + ": " + error.reason());
        return std::nullopt;
    }
}

// Tells what an export did; returns the exit status.
int Report(const ExportOptions& options, const OpenedBook& book, const ExportResult& result,
           std::FILE* err) {
    if (result.end != ExportEnd::Written) {
        const FileError error = result.openError.value_or(FileError("output", "not opened"));
        if (error.isTheBook()) {
            Fail(err, "will not write " + error.path() + ": it is the address book being read");
            return kExitUsage;
        }
        Fail(err, "cannot open " + error.path() + ": " + error.reason());
        return kExitFileFailed;
    }
    int status = book.status;
    if (!result.unread.empty()) {
        Fail(err, std::to_string(result.unread.size()) + " of " + std::to_string(result.covered) +
                      " contacts could not be read and are missing from " + Title(options.output));
        status = kExitBookFailed;
    } else if (book.status == kExitSuccess && !options.quiet) {
        std::fputs(OneLine(ExportSummary(result.covered, options)).append("\n").c_str(), err);
    }
    // Information, not a failure: the status stays.
    const std::uint64_t leftOut = result.leftOut.Total();
    if (leftOut != 0 && !options.quiet) {
        const bool one = leftOut == 1;
        Fail(err, std::to_string(leftOut) + (one ? " value has" : " values have") +
                      " no place in " + result.leftOut.format +
                      (one ? " and is not in " : " and are not in ") + Title(options.output) +
                      ": " + DescribeLeftOut(result.leftOut));
    }
    return status;
}

}  // namespace

int RunExportCommand(const ExportOptions& options, std::FILE* out, std::FILE* err) {
    if (const int refused = CheckOutputs(options, out, err); refused != kExitSuccess) {
        return refused;
    }
    OpenedBook book(options.book);
    if (!OpenBook(book, options.book, err)) {
        return kExitBookFailed;
    }
    if (options.hasSelection) {
        if (const std::optional<int> failed = ChooseContacts(options, book, err)) {
            return *failed;
        }
    }
    const ExportScope scope = options.hasSelection ? LVNI_SELECTED : LVNI_ALL;
    if (options.list) {
        for (int i = book.list.GetNextItem(-1, scope); i >= 0;
             i = book.list.GetNextItem(i, scope)) {
            std::fprintf(out, "%d\t%s\n", i, OneLine(book.list.GetItemText(i)).c_str());
        }
        return book.status;
    }
    const std::optional<ExportResult> result = Export(options, book, scope, out, err);
    return result ? Report(options, book, *result, err) : kExitFileFailed;
}
