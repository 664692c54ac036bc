// One export of a chosen kind into the files the caller opens: the one
// operation behind the window's Export commands and quorvel-export.
#pragma once

#include "core/ContactSource.h"
#include "core/ContactTypes.h"
#include "platform/ListControl.h"
#include "platform/ProgressControl.h"
#include "platform/TextFile.h"

#include <cstddef>
#include <functional>
#include <optional>

// The files of an export: the header file (kind CsvSplit only), then the
// data file.
enum class ExportFile { Header, Data };

// Opens the file for one part of an export; null ends the export with nothing
// more written (a cancelled dialog, a file that could not be opened, which the
// caller has told the person about).
using OpenExportFile = std::function<TextFile*(ExportFile part)>;

struct ExportResult {
    int covered = 0;          // contacts the scope covers
    std::size_t leftOut = 0;  // of those, left out because they could not be read
};

// Writes the contacts that scope covers as kind: for CsvSplit the header line
// alone into the header file, closed before the data file is opened; then the
// contacts as vCards or CSV rows (after the header line for Csv). Each file is
// closed once written. nullopt when open gave null. A FileError passes to the
// caller.
std::optional<ExportResult> ExportToFiles(ExportKind kind, const OpenExportFile& open,
                                          const ListControl& list, ExportScope scope,
                                          ProgressControl& progress, ContactSource& source);
