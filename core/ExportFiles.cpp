#include "core/ExportFiles.h"

#include "core/CsvWriter.h"
#include "core/ExportRun.h"

namespace {

// The opened file, or null with the result saying why it is not there.
TextFile* OpenPart(const OpenExportFile& open, ExportFile part, ExportResult& result) {
    OpenedFile opened = open(part);
    if (opened.file == nullptr) {
        result.end = opened.error ? ExportEnd::NotOpened : ExportEnd::Cancelled;
        result.unopened = part;
        result.openError = std::move(opened.error);
    }
    return opened.file;
}

}  // namespace

ExportResult ExportToFiles(ExportKind kind, const OpenExportFile& open, const ListControl& list,
                           ExportScope scope, ProgressControl& progress, ContactSource& source,
                           const ListLeftOut& listLeftOut) {
    ExportResult result;
    if (kind == ExportKind::CsvSplit) {
        TextFile* header = OpenPart(open, ExportFile::Header, result);
        if (header == nullptr) {
            return result;
        }
        WriteCsvHeader(*header);
        header->Close();
    }
    TextFile* data = OpenPart(open, ExportFile::Data, result);
    if (data == nullptr) {
        return result;
    }
    result.covered = CountCovered(list, scope);
    if (kind == ExportKind::VCards) {
        result.unread =
            ExportVCards(*data, list, scope, progress, source, &result.leftOut, listLeftOut);
    } else {
        if (kind == ExportKind::Csv) {
            WriteCsvHeader(*data);
        }
        result.unread =
            ExportCsv(*data, list, scope, progress, source, &result.leftOut, listLeftOut);
    }
    data->Close();
    return result;
}
