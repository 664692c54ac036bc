#pragma once

#include <cstdint>
#include <optional>

struct CalendarDate {
    int year;
    int month;  // 1 to 12
    int day;    // 1 to 31
};

// The local calendar date of a FILETIME (100 ns intervals since 1601-01-01
// 00:00 UTC), with the UTC offset in effect on that date under the TZ rules.
// Empty when the value has its top bit set or its date lies past 9999.
std::optional<CalendarDate> FileTimeToLocalDate(std::uint32_t low, std::uint32_t high);
