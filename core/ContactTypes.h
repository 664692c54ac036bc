// Types shared by the export core: the contact record (one field per
// property the writers know), the list of a contact's additional e-mail
// addresses, and the scope and kind of an export.
#pragma once

#include "properties/ContactRecord.h"

#include <cstddef>
#include <cstring>
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

// The item-search flags that select the list items an export covers:
// LVNI_SELECTED (2) for Export, LVNI_ALL (0) for Export All.
using ExportScope = unsigned;

// The kinds of export, numbered as the export-type dialog's choices: a CSV
// data file with a separate header file, vCards, CSV with its header line.
enum class ExportKind { CsvSplit = 1004, VCards = 1005, Csv = 1006 };
