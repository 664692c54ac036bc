// One vCard as a book entry: its object type, the display name it is listed
// by and every value of the person's data that the card holds.
#pragma once

#include "properties/WabDefs.h"
#include "wab32/BookFormat.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wab32::vcard {

// How a piece of a vCard file ended: with END:VCARD, without it (at the end
// of the file or at the next BEGIN:VCARD), or as text outside any card.
enum class CardEnd { Ended, Unended, Outside };

struct CardEntry {
    ULONG objectType = MAPI_MAILUSER;
    std::string displayName;  // also held in props when readable
    std::vector<StoredProperty> props;
    std::optional<std::string> damage;  // why the card cannot be read; listed all the same
};

// Maps the text between BEGIN:VCARD and END:VCARD (lines ended by "\n").
// `unicodeFile`: the file was UTF-16, its text already converted to UTF-8.
// A piece that did not end with END:VCARD is damaged, listed by its FN.
CardEntry ReadCard(std::string_view body, CardEnd end = CardEnd::Ended, bool unicodeFile = false);

}  // namespace wab32::vcard
