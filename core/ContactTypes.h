// Types shared by the export core: the contact record, the list of a
// contact's additional e-mail addresses, and the scope of an export.
#pragma once

#include "addressbook/WabDefs.h"

#include <cstddef>
#include <vector>

// One contact's values, borrowed from its property array. A null pointer is an
// absent value; a pointer to an empty string is present.
struct ContactRecord {
    const char* givenName;
    const char* middleName;
    const char* surname;
    const char* displayName;
    const char* emailAddress;
    FILETIME birthday;  // absent when both halves are zero
    const char* companyName;
    const char* businessStreet;
    const char* businessCity;
    const char* businessState;
    const char* businessPostalCode;
    const char* businessCountry;
    const char* title;
    const char* departmentName;
    const char* officeLocation;
    const char* businessPhone;
    const char* businessFax;
    const char* pagerPhone;
    const char* businessHomePage;
    const char* homeStreet;
    const char* homeCity;
    const char* homeState;
    const char* homePostalCode;
    const char* homeCountry;
    const char* homePhone;
    const char* homeFax;
    const char* mobilePhone;
    const char* personalHomePage;
    const char* comment;

    bool HasBirthday() const { return birthday.dwLowDateTime != 0 || birthday.dwHighDateTime != 0; }
};

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
