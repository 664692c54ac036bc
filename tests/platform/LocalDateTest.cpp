#include "platform/LocalDate.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

using testing_support::FileTimeOf;
using testing_support::SetTimeZone;
using testing_support::UtcFileTime;

namespace {

// The local calendar date of `value` in `tz` as "Y-M-D", or "none".
std::string LocalDate(const char* tz, FILETIME value) {
    SetTimeZone(tz);
    const auto date = FileTimeToLocalDate(value.dwLowDateTime, value.dwHighDateTime);
    return date ? std::to_string(date->year) + "-" + std::to_string(date->month) + "-" +
                      std::to_string(date->day)
                : "none";
}

}  // namespace

TEST(LocalDateTest, ConvertsToTheLocalCalendarDateOfTheInstant) {
    const std::tuple<const char*, FILETIME, const char*> cases[] = {
        {"UTC0", UtcFileTime(1970, 3, 7), "1970-3-7"},
        // West of UTC the day before, east of it that day or, late, the next.
        {"EST5", UtcFileTime(1970, 3, 5), "1970-3-4"},
        {"JST-9", UtcFileTime(1970, 3, 5), "1970-3-5"},
        {"JST-9", UtcFileTime(1999, 12, 31, 20), "2000-1-1"},
        // Summer time applies on a summer date, whatever the date of export.
        {"GMT0BST,M3.5.0/1,M10.5.0", UtcFileTime(1990, 7, 1, 23, 30), "1990-7-2"},
        {"GMT0BST,M3.5.0/1,M10.5.0", UtcFileTime(1990, 1, 1, 23, 30), "1990-1-1"},
        // The first tick of 1601, and the last day of 9999.
        {"UTC0", FileTimeOf(1), "1601-1-1"},
        {"EST5", FileTimeOf(1), "1600-12-31"},
        {"UTC0", UtcFileTime(9999, 12, 31, 23, 59), "9999-12-31"},
        // Values without a calendar date.
        {"UTC0", FileTimeOf(0x8000000000000000ULL), "none"},
        {"UTC0", FileTimeOf(0xFFFFFFFFFFFFFFFFULL), "none"},
        {"UTC0", FileTimeOf(0x7FFFFFFFFFFFFFFFULL), "none"},
        {"UTC0", UtcFileTime(10000, 1, 1, 0, 0), "none"},
    };
    for (const auto& [tz, value, expected] : cases) {
        EXPECT_EQ(LocalDate(tz, value), expected) << tz << " " << value.dwHighDateTime;
    }
}
