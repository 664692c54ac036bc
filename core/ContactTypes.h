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
// removed at the head. The head is the back of the vector, so adding and
// draining cost nothing per entry beyond the first growth.
class EmailList {
  public:
    void AddHead(const char* address) { m_entries.push_back(address); }
    // Removes and returns the entry at the head; the list must not be empty.
    const char* RemoveHead() {
        const char* head = m_entries.back();
        m_entries.pop_back();
        return head;
    }
    const char* GetHead() const { return m_entries.back(); }
    const char* GetTail() const { return m_entries.front(); }
    bool IsEmpty() const { return m_entries.empty(); }
    std::size_t GetCount() const { return m_entries.size(); }
    void RemoveAll() { std::vector<const char*>().swap(m_entries); }
    void Reserve(std::size_t count) { m_entries.reserve(count); }

  private:
    std::vector<const char*> m_entries;  // tail first, head last
};

// The item-search flags that select the list items an export covers:
// LVNI_SELECTED (2) for Export, LVNI_ALL (0) for Export All.
using ExportScope = unsigned;
