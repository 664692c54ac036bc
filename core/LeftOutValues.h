// The values of a contact that an export format has no place for, and so are
// not in its file: the one rule the window and quorvel-export give.
//
// A value is a property that is not the book's bookkeeping (a property the
// table does not know is a custom field of the book, kind Other): one per
// property, one per entry of a multi-valued one, and the parts of one address
// count as one address. An absent value is none: a null or empty string, a
// zero date, empty binary data, an error. A value is left out when the
// format's writer does not write it: no place for it, a type the record
// ignores, a birthday without a calendar date, or an earlier duplicate of a
// record field that a later one replaced (unless the value written is the
// same text). Additional e-mail addresses are all written, the default one's
// duplicates as the default.
#pragma once

#include "core/ContactTypes.h"
#include "properties/ContactProperties.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

inline constexpr std::size_t kValueKindCount = static_cast<std::size_t>(ValueKind::Other) + 1;

// What an export left out, by kind (indexed by ValueKind).
struct LeftOutCounts {
    const char* format = "";  // the format's name, as messages give it
    std::array<std::uint64_t, kValueKindCount> byKind{};

    std::uint64_t Total() const;
};

// One value left out; its texts live until the call that is given it returns.
struct LeftOutValue {
    int position;            // the contact's list position
    std::string_view label;  // the table's label, or "Custom field 0x" and the id
    std::string_view text;   // strings as stored, dates as YYYY-MM-DD in local time
};
using ListLeftOut = std::function<void(const LeftOutValue&)>;

// Adds the values of one contact (its property array, at list position
// `position`) that `format` leaves out to `counts`, and gives each to `list`
// when it is set.
void CountLeftOut(const FormatPlaces& format, const SPropValue* props, ULONG count, int position,
                  LeftOutCounts& counts, const ListLeftOut& list);

// The kinds that have a count, in a fixed order (phones, addresses, name
// parts, e-mail addresses, dates, work details, web pages, notes, other
// values): "3 phones, 1 address, 2 name parts".
std::string DescribeLeftOut(const LeftOutCounts& counts);
