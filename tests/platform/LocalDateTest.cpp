#include "platform/LocalDate.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using testing_support::FileTimeOf;
using testing_support::SetTimeZone;
using testing_support::UtcFileTime;

namespace {

struct DateCase {
    const char* name;
    const char* tz;
    FILETIME value;
    CalendarDate expected;
};

}  // namespace

TEST(LocalDateTest, ConvertsToTheLocalCalendarDateOfTheInstant) {
    const DateCase cases[] = {
        {"utc", "UTC0", UtcFileTime(1970, 3, 7), {1970, 3, 7}},
        {"west of utc gives the day before", "EST5", UtcFileTime(1970, 3, 5), {1970, 3, 4}},
        {"east of utc gives that day", "JST-9", UtcFileTime(1970, 3, 5), {1970, 3, 5}},
        {"east of utc late in the day gives the next",
         "JST-9",
         UtcFileTime(1999, 12, 31, 20),
         {2000, 1, 1}},
        // Summer time applies on a summer date, whatever the date of export.
        {"summer offset on a summer date",
         "GMT0BST,M3.5.0/1,M10.5.0",
         UtcFileTime(1990, 7, 1, 23, 30),
         {1990, 7, 2}},
        {"winter offset on a winter date",
         "GMT0BST,M3.5.0/1,M10.5.0",
         UtcFileTime(1990, 1, 1, 23, 30),
         {1990, 1, 1}},
        {"the first tick of 1601", "UTC0", FileTimeOf(1), {1601, 1, 1}},
        {"the first tick of 1601 west of utc", "EST5", FileTimeOf(1), {1600, 12, 31}},
        {"the last day of 9999", "UTC0", UtcFileTime(9999, 12, 31, 23, 59), {9999, 12, 31}},
    };
    for (const DateCase& c : cases) {
        SetTimeZone(c.tz);
        const auto date = FileTimeToLocalDate(c.value.dwLowDateTime, c.value.dwHighDateTime);
        ASSERT_TRUE(date.has_value()) << c.name;
        EXPECT_EQ(date->year, c.expected.year) << c.name;
        EXPECT_EQ(date->month, c.expected.month) << c.name;
        EXPECT_EQ(date->day, c.expected.day) << c.name;
    }
}

TEST(LocalDateTest, ValuesWithoutACalendarDateGiveNone) {
    SetTimeZone("UTC0");
    const FILETIME past9999 = UtcFileTime(10000, 1, 1, 0, 0);
    const FILETIME cases[] = {
        FileTimeOf(0x8000000000000000ULL),
        FileTimeOf(0xFFFFFFFFFFFFFFFFULL),
        FileTimeOf(0x7FFFFFFFFFFFFFFFULL),
        past9999,
    };
    for (const FILETIME& value : cases) {
        EXPECT_FALSE(FileTimeToLocalDate(value.dwLowDateTime, value.dwHighDateTime).has_value())
            << std::hex << value.dwHighDateTime << ' ' << value.dwLowDateTime;
    }
}
