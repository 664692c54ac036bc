#include "cli/ExportCommand.h"

#include "addressbook/AddressBookSession.h"
#include "cli/CompactList.h"
#include "cli/ContactSelection.h"
#include "cli/TerminalProgress.h"
#include "core/CsvWriter.h"
#include "core/ExportRun.h"
#include "platform/FileError.h"
#include "platform/TextFile.h"

#include <sys/stat.h>
#include <cerrno>
#include <cstring>
#include <string>

namespace {

constexpr const char* kProgram = "quorvel-export";

void Fail(std::FILE* err, const std::string& message) {
    std::fprintf(err, "%s: %s\n", kProgram, message.c_str());
}

std::string HexCode(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

// An output path as messages name it: "-" is standard output.
std::string Title(const std::string& path) {
    return path == kStandardOutputName ? std::string("standard output") : path;
}

// path "-" is standard output: the out stream's descriptor.
bool OpenOrFail(TextFile& file, const std::string& path, std::FILE* out, std::FILE* err) {
    const bool toOut = path == kStandardOutputName;
    const std::string title = Title(path);
    FileError error(title, 0);
    if (toOut ? (std::fflush(out) == 0 && file.OpenDescriptor(fileno(out), title, &error))
              : file.Open(path, &error)) {
        return true;
    }
    Fail(err, "cannot open " + title + ": " + error.reason());
    return false;
}

// The header line alone, written and closed before the data file is opened.
void WriteHeaderFile(TextFile& file) {
    WriteCsvHeader(file);
    file.Close();
}

std::size_t WriteDataFile(CAddressBookSession& session, TextFile& file, const CompactList& list,
                          ExportFormat format, ExportScope scope, ProgressControl& progress) {
    std::size_t skipped = 0;
    if (format == ExportFormat::VCard) {
        skipped = session.ExportVCards(file, list, scope, progress);
    } else {
        if (format == ExportFormat::Csv) {
            WriteCsvHeader(file);
        }
        skipped = session.ExportCsv(file, list, scope, progress);
    }
    file.Close();
    return skipped;
}

// Whether path (or out, for "-") is the same file as the book (an existing file only).
bool IsSameFile(const std::string& path, std::FILE* out, const struct stat& book) {
    struct stat info;
    const int found =
        path == kStandardOutputName ? fstat(fileno(out), &info) : stat(path.c_str(), &info);
    return found == 0 && info.st_dev == book.st_dev && info.st_ino == book.st_ino;
}

// "12 contacts written to out.vcf", and where the header line went.
std::string ExportSummary(long long written, const ExportOptions& options) {
    std::string summary = std::to_string(written) + (written == 1 ? " contact" : " contacts") +
                          " written to " + Title(options.output);
    if (options.format == ExportFormat::CsvSplit) {
        summary += ", the header line to " + Title(options.header);
    }
    return summary + "\n";
}

}  // namespace

int RunExport(const ExportOptions& options, std::FILE* out, std::FILE* err) {
    const std::string bookName =
        options.book.empty() ? std::string("the default address book") : options.book;
    const std::string openFailure =
        "cannot open " + (options.book.empty() ? bookName : "address book " + bookName) + ": ";

    // A missing or unreadable file is told as the system tells it.
    struct stat info;
    if (!options.book.empty() && stat(options.book.c_str(), &info) != 0) {
        Fail(err, openFailure + std::strerror(errno));
        return kExitBookFailed;
    }
    // An output file over the book would empty it: the book is never written.
    if (!options.book.empty()) {
        for (const std::string* path : {&options.output, &options.header}) {
            if (!path->empty() && IsSameFile(*path, out, info)) {
                Fail(err, "will not write " + Title(*path) + ": it is the address book being read");
                return kExitUsage;
            }
        }
    }
    CAddressBookSession session(options.book);
    if (!session.m_bOpened) {
        Fail(err, openFailure + session.OpenError());
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
            const std::string_view name = list.GetItemText(i);
            std::fprintf(out, "%d\t%.*s\n", i, static_cast<int>(name.size()), name.data());
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

    const long long covered = CountCovered(list, scope);
    TerminalProgress progress(err, !options.quiet && TerminalProgress::IsTerminal(err), covered);
    TextFile file;
    std::size_t skipped = 0;
    try {
        if (options.format == ExportFormat::CsvSplit) {
            if (!OpenOrFail(file, options.header, out, err)) {
                return kExitFileFailed;
            }
            WriteHeaderFile(file);
        }
        if (!OpenOrFail(file, options.output, out, err)) {
            return kExitFileFailed;
        }
        skipped = WriteDataFile(session, file, list, options.format, scope, progress);
    } catch (const FileError& error) {
        progress.SetPos(0);
        Fail(err, "cannot write " + error.path() + ": " + error.reason());
        return kExitFileFailed;
    }

    if (skipped > 0) {
        Fail(err, std::to_string(skipped) + " of " + std::to_string(covered) +
                      " contacts could not be read and are missing from " + Title(options.output));
        status = kExitBookFailed;
    }
    if (status == kExitSuccess && !options.quiet) {
        std::fputs(ExportSummary(covered, options).c_str(), err);
    }
    return status;
}
