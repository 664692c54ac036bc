// Types shared by the export core: the contact record (one field per
// property the writers know), the list of a contact's additional e-mail
// addresses, what a format has a place for, and the scope and kind of an
// export.
#pragma once

#include "properties/ContactProperties.h"
#include "properties/ContactRecord.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <vector>

// A contact's additional e-mail addresses (borrowed pointers), added and
// removed at the head. The head is the newest entry: the first few
// live inside the list, the rest in a vector, so a contact's usual handful of
// addresses costs no allocation.
class EmailList {
  public:
    void AddHead(const char* address) {
        if (m_count < kInline) {
            m_inline[m_count] = address;
        } else {
            m_more.push_back(address);
        }
        ++m_count;
    }
    // Removes and returns the entry at the head; the list must not be empty.
    const char* RemoveHead() {
        --m_count;
        if (m_count < kInline) {
            return m_inline[m_count];
        }
        const char* head = m_more.back();
        m_more.pop_back();
        return head;
    }
    bool IsEmpty() const { return m_count == 0; }
    // Removes entries from the head up to the next one a writer writes: one
    // that is present and differs byte for byte from the default address
    // (absent differs from all). Null once the list is empty.
    const char* RemoveNextOther(const char* defaultAddress) {
        while (!IsEmpty()) {
            const char* entry = RemoveHead();
            if (entry != nullptr &&
                (defaultAddress == nullptr || std::strcmp(entry, defaultAddress) != 0)) {
                return entry;
            }
        }
        return nullptr;
    }

  private:
    static constexpr std::size_t kInline = 8;
    const char* m_inline[kInline] = {};
    std::vector<const char*> m_more;  // entries past the first kInline, oldest first
    std::size_t m_count = 0;
};

struct BirthdayText;

// What one export format has a place for: the record's string fields its
// writer writes (marked at their position in kContactProperties) and how it
// writes the birthday (false: no calendar date, so not written). Every format
// writes every additional e-mail address that differs from the default one.
struct FormatPlaces {
    const char* name;  // as messages name the format
    std::array<bool, std::size(kContactProperties)> writes;
    bool (*birthday)(const FILETIME& birthday, BirthdayText& out);
};

namespace format_places {
// Not constexpr: reached only when a field is missing from the table, which
// stops the compilation.
inline void FieldNotInTable() {}
}  // namespace format_places

template <std::size_t N>
constexpr FormatPlaces MakeFormatPlaces(const char* name, const StringField (&fields)[N],
                                        bool (*birthday)(const FILETIME&, BirthdayText&)) {
    FormatPlaces places{name, {}, birthday};
    for (const StringField field : fields) {
        std::size_t at = 0;
        while (at < std::size(kContactProperties) && kContactProperties[at].field != field) {
            ++at;
        }
        if (at == std::size(kContactProperties)) {
            format_places::FieldNotInTable();
        }
        places.writes[at] = true;
    }
    return places;
}

// The item-search flags that select the list items an export covers:
// LVNI_SELECTED (2) for Export, LVNI_ALL (0) for Export All.
using ExportScope = unsigned;

// The kinds of export, numbered as the export-type dialog's choices: a CSV
// data file with a separate header file, vCards, CSV with its header line.
enum class ExportKind { CsvSplit = 1004, VCards = 1005, Csv = 1006 };
