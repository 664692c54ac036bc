#include "cli/ExportCommand.h"

#include "addressbook/AddressBookSession.h"
#include "cli/CompactList.h"
#include "cli/ContactSelection.h"
#include "cli/TerminalProgress.h"
#include "core/ExportFiles.h"
#include "core/ExportRun.h"
#include "platform/FileError.h"
#include "platform/TextFile.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr const char* kProgram = "quorvel-export";

void Fail(std::FILE* err, const std::string& message) {
    std::fprintf(err, "%s: %s\n", kProgram, message.c_str());
}

// An output path as messages name it: "-" is standard output.
std::string Title(const std::string& path) {
    return path == kStandardOutputName ? std::string("standard output") : path;
}

// Opens an output file that replaces the old one only once it is whole, or
// standard output for "-"; never the book. Returns 0 or the exit status of
// the failure.
int OpenOrFail(TextFile& file, const std::string& path, const std::optional<FileIdentity>& book,
               std::FILE* out, std::FILE* err) {
    const std::string title = Title(path);
    FileError error(title, 0);
    const bool opened =
        path == kStandardOutputName
            ? std::fflush(out) == 0 && file.OpenDescriptor(fileno(out), title, &error, book)
            : file.Open(path, &error, book, WriteMode::Replace);
    if (opened) {
        return kExitSuccess;
    }
    if (error.isTheBook()) {
        Fail(err, "will not write " + title + ": it is the address book being read");
        return kExitUsage;
    }
    Fail(err, "cannot open " + title + ": " + error.reason());
    return kExitFileFailed;
}

// Whether two output paths name one file (an existing one, or one path).
bool SameOutput(const std::string& a, const std::string& b) {
    const std::optional<FileIdentity> first = IdentityOfPath(a);
    if (first) {
        return first == IdentityOfPath(b);
    }
    std::error_code ec;
    return std::filesystem::weakly_canonical(std::filesystem::absolute(a, ec), ec) ==
           std::filesystem::weakly_canonical(std::filesystem::absolute(b, ec), ec);
}

// A name as one line of --list: control bytes and the backslash written as
// quorvel-book dump writes them (\\, \t, \n, \r, \xNN); other bytes as they are.
std::string ListedName(std::string_view name) {
    std::string out;
    char code[8];
    for (const unsigned char c : name) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    std::snprintf(code, sizeof code, "\\x%02X", c);
                    out += code;
                } else {
                    out.push_back(static_cast<char>(c));
                }
        }
    }
    return out;
}

// "12 contacts written to out.vcf", and where the header line went.
std::string ExportSummary(long long written, const ExportOptions& options) {
    std::string summary = std::to_string(written) + (written == 1 ? " contact" : " contacts") +
                          " written to " + Title(options.output);
    if (options.kind == ExportKind::CsvSplit) {
        summary += ", the header line to " + Title(options.header);
    }
    return summary + "\n";
}

}  // namespace

int RunExportCommand(const ExportOptions& options, std::FILE* out, std::FILE* err) {
    if (!options.list && options.kind == ExportKind::CsvSplit &&
        SameOutput(options.header, options.output)) {
        Fail(err,
             "will not write " + options.output + " as both the header file and the data file");
        return kExitUsage;
    }
    CAddressBookSession session(options.book);
    const std::string bookName =
        options.book.empty() ? "the default address book " + session.BookPath() : options.book;
    if (!session.m_bOpened) {
        Fail(err, "cannot open " + (options.book.empty() ? bookName : "address book " + bookName) +
                      ": " + session.OpenError());
        return kExitBookFailed;
    }

    CompactList list;
    const HRESULT filled = session.FillList(list);
    int status = kExitSuccess;
    if (FAILED(filled)) {
        Fail(err, "could not list every contact of " + bookName + " (code " + HexCode(filled) +
                      "); going on with the " + std::to_string(list.GetItemCount()) + " listed");
        status = kExitBookFailed;
    }

    if (options.list) {
        for (int i = 0; i < list.GetItemCount(); ++i) {
            const std::string name = ListedName(list.GetItemText(i));
            std::fprintf(out, "%d\t%s\n", i, name.c_str());
        }
        return status;
    }

    ExportScope scope = LVNI_ALL;
    if (options.hasSelection) {
        const SelectionResult selected = SelectContacts(options, list);
        if (!selected.error.empty()) {
            Fail(err, selected.error + " (" + bookName + " lists " +
                          std::to_string(list.GetItemCount()) + ")");
            return kExitUsage;
        }
        for (const std::string& name : selected.unmatched) {
            Fail(err, "warning: no contact's name matches '" + name + "'");
        }
        scope = LVNI_SELECTED;
    }

    TerminalProgress progress(err, !options.quiet && TerminalProgress::IsTerminal(err),
                              CountCovered(list, scope));
    TextFile file;
    int openFailure = kExitSuccess;
    const auto open = [&](ExportFile part) -> TextFile* {
        const std::string& path = part == ExportFile::Header ? options.header : options.output;
        openFailure = OpenOrFail(file, path, session.BookIdentity(), out, err);
        return openFailure == kExitSuccess ? &file : nullptr;
    };
    std::optional<ExportResult> result;
    try {
        result = ExportToFiles(options.kind, open, list, scope, progress, session);
    } catch (const FileError& error) {
        progress.SetPos(0);
        Fail(err, "cannot write " + error.path() + ": " + error.reason());
        return kExitFileFailed;
    }
    if (!result) {
        return openFailure;
    }
    if (result->leftOut > 0) {
        Fail(err, std::to_string(result->leftOut) + " of " + std::to_string(result->covered) +
                      " contacts could not be read and are missing from " + Title(options.output));
        status = kExitBookFailed;
    }
    if (status == kExitSuccess && !options.quiet) {
        std::fputs(ExportSummary(result->covered, options).c_str(), err);
    }
    return status;
}
