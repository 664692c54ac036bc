#pragma once

#include "properties/WabDefs.h"

struct EntryRef;

// Where an export run reads its contacts: the address-book session.
class ContactSource {
  public:
    virtual ~ContactSource() = default;
    // A copy of the entry id becomes the current entry; null changes nothing.
    virtual void SetCurrentEntry(const EntryRef* entry) = 0;
    // Replaces the current property array with all properties of the current
    // entry. False when there is no current entry or it could not be read.
    virtual bool ReadProperties() = 0;
    virtual const SPropValue* CurrentProps() const = 0;
    virtual ULONG CurrentPropCount() const = 0;
};
