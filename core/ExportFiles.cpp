#include "core/ExportFiles.h"

#include "core/CsvWriter.h"
#include "core/ExportRun.h"

std::optional<ExportResult> ExportToFiles(ExportKind kind, const OpenExportFile& open,
                                          const ListControl& list, ExportScope scope,
                                          ProgressControl& progress, ContactSource& source) {
    if (kind == ExportKind::CsvSplit) {
        TextFile* header = open(ExportFile::Header);
        if (header == nullptr) {
            return std::nullopt;
        }
        WriteCsvHeader(*header);
        header->Close();
    }
    TextFile* data = open(ExportFile::Data);
    if (data == nullptr) {
        return std::nullopt;
    }
    ExportResult result;
    result.covered = CountCovered(list, scope);
    if (kind == ExportKind::VCards) {
        result.leftOut = ExportVCards(*data, list, scope, progress, source);
    } else {
        if (kind == ExportKind::Csv) {
            WriteCsvHeader(*data);
        }
        result.leftOut = ExportCsv(*data, list, scope, progress, source);
    }
    data->Close();
    return result;
}
