#include "platform/LocalDate.h"

#include <ctime>

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
// Seconds from 1601-01-01 to 1970-01-01, both 00:00 UTC.
constexpr std::int64_t kEpochDifference = 11'644'473'600;
constexpr int kLastYear = 9999;

}  // namespace

std::optional<CalendarDate> FileTimeToLocalDate(std::uint32_t low, std::uint32_t high) {
    const std::uint64_t ticks = (static_cast<std::uint64_t>(high) << 32) | low;
    if ((ticks >> 63) != 0) {
        return std::nullopt;
    }
    const std::time_t seconds = static_cast<std::time_t>(
        static_cast<std::int64_t>(ticks) / kTicksPerSecond - kEpochDifference);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) {
        return std::nullopt;
    }
    const int year = local.tm_year + 1900;
    if (year > kLastYear) {
        return std::nullopt;
    }
    return CalendarDate{year, local.tm_mon + 1, local.tm_mday};
}
