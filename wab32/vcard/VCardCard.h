// One vCard as a book entry: its object type, the display name it is listed
// by and the properties the export reads.
#pragma once

#include "properties/WabDefs.h"
#include "wab32/BookFormat.h"

#include <string>
#include <string_view>
#include <vector>

namespace wab32::vcard {

struct CardEntry {
    ULONG objectType = MAPI_MAILUSER;
    bool readable = true;     // false: the card is listed but cannot be read
    std::string displayName;  // also held in props when readable
    std::vector<StoredProperty> props;
};

// Maps the text between BEGIN:VCARD and END:VCARD (lines ended by "\n").
// A piece that is not a whole card (no END:VCARD, or text outside any card)
// gives an unreadable entry, listed by its FN if it has one.
CardEntry ReadCard(std::string_view body, bool whole = true);

}  // namespace wab32::vcard
