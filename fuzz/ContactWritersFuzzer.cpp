// Builds property arrays of any tags, types and counts from the input and
// writes them with both writers: no crash, every vCard block complete, every
// CSV row one quoted line; what each leaves out counts alike listed or not.
#include "FuzzCheck.h"
#include "core/ContactRecord.h"
#include "core/CsvWriter.h"
#include "core/LeftOutValues.h"
#include "core/VCardWriter.h"
#include "core/ValueEncoding.h"
#include "properties/ContactProperties.h"
#include "tests/support/TestSupport.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace {

const ULONG kTypes[] = {PT_STRING8, PT_MV_STRING8, PT_SYSTIME, PT_LONG, PT_BINARY, PT_ERROR};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t at = 0;
    const auto byte = [&] { return at < size ? data[at++] : std::uint8_t{0}; };
    const auto word = [&] {
        std::uint32_t w = 0;
        for (int i = 0; i < 4; ++i) {
            w = (w << 8) | byte();
        }
        return w;
    };
    // Up to 255 bytes; a zero byte is read as CR.
    const auto text = [&] {
        std::string t;
        for (std::size_t length = byte(); t.size() < length && at < size;) {
            t += static_cast<char>(byte());
        }
        std::replace(t.begin(), t.end(), '\0', '\r');
        return t;
    };
    std::deque<std::string> strings;
    std::deque<std::vector<char*>> lists;
    std::vector<SPropValue> props;
    while (at < size && props.size() < 256) {
        const std::uint8_t shape = byte();
        // Known ids are drawn often, so the writers see many fields.
        const ULONG id =
            (shape & 0x80) != 0
                ? PROP_ID(kContactProperties[byte() % std::size(kContactProperties)].tag)
                : word() >> 16;
        const ULONG type =
            (shape & 0x40) != 0 ? kTypes[byte() % std::size(kTypes)] : word() & 0xFFFF;
        SPropValue& prop = props.emplace_back();
        prop.ulPropTag = PROP_TAG(type, id);
        if (type == PT_STRING8) {
            prop.Value.lpszA = (shape & 0x01) != 0 ? nullptr : strings.emplace_back(text()).data();
        } else if (type == PT_MV_STRING8) {
            std::vector<char*>& list = lists.emplace_back(byte() % 16);
            for (char*& value : list) {
                value = (byte() & 3) == 0 ? nullptr : strings.emplace_back(text()).data();
            }
            prop.Value.MVszA.cValues = static_cast<ULONG>(list.size());
            prop.Value.MVszA.lppszA = (shape & 0x02) != 0 && list.empty() ? nullptr : list.data();
        } else {
            // Any other type: raw bytes in the value, never to be read as a pointer.
            prop.Value.ft.dwLowDateTime = word();
            prop.Value.ft.dwHighDateTime = word();
        }
    }

    testing_support::RecordingFile vcard;
    WriteVCard(vcard, props.data(), static_cast<ULONG>(props.size()));
    Check(vcard.text().starts_with("BEGIN:VCARD\nVERSION:2.1\nN:") &&
          vcard.text().ends_with("END:VCARD\n") && !quotedPrintableMode);

    ContactRecord record;
    EmailList otherEmails;
    BuildContactRecord(props.data(), static_cast<ULONG>(props.size()), record, otherEmails);
    testing_support::RecordingFile row;
    WriteCsvRow(row, record, otherEmails);
    Check(otherEmails.IsEmpty() && row.text().size() >= 2 && row.text().starts_with('"') &&
          row.text().ends_with("\"\n"));

    for (const FormatPlaces* format : {&kVCardPlaces, &kCsvPlaces}) {
        LeftOutCounts counts, listedCounts;
        std::uint64_t listed = 0;
        const auto count = static_cast<ULONG>(props.size());
        CountLeftOut(*format, props.data(), count, 0, counts, {});
        CountLeftOut(*format, props.data(), count, 0, listedCounts,
                     [&](const LeftOutValue&) { ++listed; });
        // Fewer counted than listed only where address parts make one address.
        Check(counts.byKind == listedCounts.byKind && counts.Total() <= listed);
    }
    return 0;
}
