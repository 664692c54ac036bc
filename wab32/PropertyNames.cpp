#include "wab32/PropertyNames.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <utility>

namespace wab32 {

namespace {

constexpr std::array<std::pair<ULONG, const char*>, 34> kNames{{
    {0x3A06, "Given name"},
    {0x3A44, "Middle name"},
    {0x3A11, "Surname"},
    {0x3001, "Display name"},
    {0x3003, "E-mail address"},
    {0x3A42, "Birthday"},
    {0x3A16, "Company"},
    {0x3A29, "Business street"},
    {0x3A27, "Business city"},
    {0x3A28, "Business state or province"},
    {0x3A2A, "Business postal code"},
    {0x3A26, "Business country"},
    {0x3A17, "Job title"},
    {0x3A18, "Department"},
    {0x3A19, "Office"},
    {0x3A08, "Business phone"},
    {0x3A24, "Business fax"},
    {0x3A21, "Pager"},
    {0x3A51, "Business web page"},
    {0x3A5D, "Home street"},
    {0x3A59, "Home city"},
    {0x3A5C, "Home state or province"},
    {0x3A5B, "Home postal code"},
    {0x3A5A, "Home country"},
    {0x3A09, "Home phone"},
    {0x3A25, "Home fax"},
    {0x3A1C, "Mobile phone"},
    {0x3A50, "Personal web page"},
    {0x3004, "Notes"},
    {0x3A56, "E-mail addresses"},
    {0x0FFF, "Entry id"},
    {0x0FFE, "Object type"},
    {0x3002, "Address type"},
    {0x3A45, "Title (courtesy)"},
}};

}  // namespace

const char* PropertyName(ULONG tag) {
    for (const auto& [id, name] : kNames) {
        if (id == PROP_ID(tag)) {
            return name;
        }
    }
    return nullptr;
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
