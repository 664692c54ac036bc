// Readable names of property tags and types, and the text forms of values
// that the details window and the dump share.
#pragma once

#include "properties/WabDefs.h"

#include <cstdint>
#include <string>

namespace wab32 {

// "Given name", "E-mail addresses", ...; null for a tag without a name.
const char* PropertyName(ULONG tag);
// "PT_STRING8", ...; "PT_0x0005" style for others.
std::string PropertyTypeName(ULONG type);
// "mailuser", "distlist", "container", or the number.
std::string ObjectTypeName(ULONG objectType);
// A FILETIME count as "1985-03-14 23:59:59.9999999 UTC"; a count with the
// top bit set is read as signed (a date before 1601).
std::string FiletimeText(std::uint64_t filetime);

}  // namespace wab32
