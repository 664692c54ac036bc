// One export of a chosen kind into the files the caller opens: the one
// operation behind the window's Export commands and quorvel-export.
#pragma once

#include "core/ContactSource.h"
#include "core/ContactTypes.h"
#include "core/LeftOutValues.h"
#include "platform/FileError.h"
#include "platform/ListControl.h"
#include "platform/ProgressControl.h"
#include "platform/TextFile.h"

#include <functional>
#include <optional>
#include <vector>

// The files of an export: the header file (kind CsvSplit only), then the
// data file.
enum class ExportFile { Header, Data };

// One file of an export as the caller opened it: the file, or none and why;
// none without an error is a person who cancelled (a file dialog, say).
struct OpenedFile {
    TextFile* file = nullptr;
    std::optional<FileError> error;
};
using OpenExportFile = std::function<OpenedFile(ExportFile part)>;

enum class ExportEnd {
    Written,    // every file written and closed
    Cancelled,  // a file was not opened because the person cancelled
    NotOpened,  // a file could not be opened: openError says why
};

struct ExportResult {
    ExportEnd end = ExportEnd::Written;
    ExportFile unopened = ExportFile::Data;  // Cancelled, NotOpened: the file not opened
    std::optional<FileError> openError;      // NotOpened: why
    int covered = 0;                         // contacts the scope covers
    std::vector<int> unread;  // list positions of covered contacts that could not be read
    LeftOutCounts leftOut;    // values of the contacts written that the format has no place for
};

// Writes the contacts that scope covers as kind: for CsvSplit the header line
// alone into the header file, closed before the data file is opened; then the
// contacts as vCards or CSV rows (after the header line for Csv). Each file is
// closed once written. A contact that cannot be read is left out and listed in
// the result. The values the format has no place for are counted in the
// result and, when listLeftOut is set, given to it one by one as their
// contact is written. A FileError while writing or closing passes to the
// caller.
ExportResult ExportToFiles(ExportKind kind, const OpenExportFile& open, const ListControl& list,
                           ExportScope scope, ProgressControl& progress, ContactSource& source,
                           const ListLeftOut& listLeftOut = {});
