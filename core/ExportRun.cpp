#include "core/ExportRun.h"

#include "core/ContactRecord.h"
#include "core/CsvWriter.h"
#include "core/VCardWriter.h"

#include <cstdint>

namespace {

// What a run counts of the values its format leaves out.
struct LeftOutTally {
    const FormatPlaces& format;
    LeftOutCounts* counts;
    const ListLeftOut& list;
};

// Walks the covered items once to count them and once to write them. The
// progress bar gets the range, one position per item before it is read, and
// 0 at the end; a run that covers nothing leaves the bar alone. The CSV run
// also enables the bar for the walk.
template <typename WriteContact>
std::vector<int> RunExport(const ListControl& list, ExportScope scope, ProgressControl& progress,
                           ContactSource& source, bool enableProgress, const LeftOutTally& leftOut,
                           WriteContact writeContact) {
    const unsigned flags = scope & 0xFFFFu;
    const int count = CountCovered(list, scope);
    std::vector<int> unread;
    if (count == 0) {
        return unread;
    }
    progress.SetRange(0, static_cast<std::uint16_t>(count & 0xFFFF));
    if (enableProgress) {
        progress.EnableWindow(true);
    }
    int position = 0;
    for (int i = list.GetNextItem(-1, flags); i != -1; i = list.GetNextItem(i, flags)) {
        progress.SetPos(++position);
        const EntryRef* entry = list.GetItemData(i);
        source.SetCurrentEntry(entry);
        // An item whose entry cannot be read is left out rather than written
        // from the previous contact's properties.
        if (!source.ReadProperties() || entry == nullptr) {
            unread.push_back(i);
            continue;
        }
        writeContact();
        if (leftOut.counts != nullptr) {
            CountLeftOut(leftOut.format, source.CurrentProps(), source.CurrentPropCount(), i,
                         *leftOut.counts, leftOut.list);
        }
    }
    if (enableProgress) {
        progress.EnableWindow(false);
    }
    progress.SetPos(0);
    return unread;
}

}  // namespace

int CountCovered(const ListControl& list, ExportScope scope) {
    const unsigned flags = scope & 0xFFFFu;
    int count = 0;
    for (int i = list.GetNextItem(-1, flags); i != -1; i = list.GetNextItem(i, flags)) {
        ++count;
    }
    return count;
}

std::vector<int> ExportVCards(OutputFile& file, const ListControl& list, ExportScope scope,
                              ProgressControl& progress, ContactSource& source,
                              LeftOutCounts* leftOut, const ListLeftOut& listLeftOut) {
    return RunExport(list, scope, progress, source, false, {kVCardPlaces, leftOut, listLeftOut},
                     [&] { WriteVCard(file, source.CurrentProps(), source.CurrentPropCount()); });
}

std::vector<int> ExportCsv(OutputFile& file, const ListControl& list, ExportScope scope,
                           ProgressControl& progress, ContactSource& source, LeftOutCounts* leftOut,
                           const ListLeftOut& listLeftOut) {
    ContactRecord record;
    EmailList otherEmails;
    const LeftOutTally tally{kCsvPlaces, leftOut, listLeftOut};
    return RunExport(list, scope, progress, source, true, tally, [&] {
        BuildContactRecord(source.CurrentProps(), source.CurrentPropCount(), record, otherEmails);
        WriteCsvRow(file, record, otherEmails);
    });
}
