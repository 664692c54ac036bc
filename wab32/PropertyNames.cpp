#include "wab32/PropertyNames.h"

#include "properties/ContactProperties.h"

#include <chrono>
#include <cstdio>

namespace wab32 {

const char* PropertyName(ULONG tag) {
    const ContactProperty* property = FindContactProperty(tag);
    return property != nullptr ? property->label : nullptr;
}

std::string PropertyTypeName(ULONG type) {
    switch (type) {
        case PT_STRING8:
            return "PT_STRING8";
        case PT_MV_STRING8:
            return "PT_MV_STRING8";
        case PT_BINARY:
            return "PT_BINARY";
        case PT_SYSTIME:
            return "PT_SYSTIME";
        case PT_LONG:
            return "PT_LONG";
        case PT_ERROR:
            return "PT_ERROR";
        default: {
            char buf[16];
            std::snprintf(buf, sizeof buf, "PT_0x%04X", static_cast<unsigned>(type));
            return buf;
        }
    }
}

std::string ObjectTypeName(ULONG objectType) {
    switch (objectType) {
        case MAPI_MAILUSER:
            return "mailuser";
        case MAPI_DISTLIST:
            return "distlist";
        case MAPI_ABCONT:
            return "container";
        default:
            return std::to_string(objectType);
    }
}

std::string FiletimeText(std::uint64_t filetime) {
    using namespace std::chrono;
    // Counts with the top bit set read as before 1601, as a signed count.
    constexpr std::int64_t kTicksPerDay = 864000000000ll;
    const auto ticks = static_cast<std::int64_t>(filetime);
    std::int64_t dayCount = ticks / kTicksPerDay;
    std::int64_t inDay = ticks % kTicksPerDay;
    if (inDay < 0) {
        inDay += kTicksPerDay;
        --dayCount;
    }
    const year_month_day ymd(sys_days(year{1601} / January / 1) + days(dayCount));
    const std::int64_t seconds = inDay / 10000000;
    const std::int64_t fraction = inDay % 10000000;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02u %02u:%02u:%02u.%07u UTC",
                  static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                  static_cast<unsigned>(ymd.day()), static_cast<unsigned>(seconds / 3600),
                  static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60),
                  static_cast<unsigned>(fraction));
    return buf;
}

}  // namespace wab32
