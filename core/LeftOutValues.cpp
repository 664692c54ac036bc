#include "core/LeftOutValues.h"

#include "core/BirthdayText.h"
#include "platform/LocalDate.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t kPropertyCount = std::size(kContactProperties);
constexpr std::uint8_t kNotInTable = 0xFF;
static_assert(kPropertyCount < kNotInTable, "positions must fit the index");

// Table positions by property id, for the ranges of ids the table uses
// (checked below), the busiest first; kNotInTable for none.
struct IdRange {
    ULONG first;
    ULONG size;
    std::size_t offset;  // of the range's first id in the index
};
constexpr IdRange kRanges[] = {
    {0x3A00, 0x80, 0x00}, {0x3000, 0x10, 0x80}, {0x0FF0, 0x10, 0x90},
    {0x3900, 0x10, 0xA0}, {0x6800, 0x10, 0xB0},
};
constexpr std::size_t kIndexSize = 0xC0;

constexpr std::array<std::uint8_t, kIndexSize> BuildIndex() {
    std::array<std::uint8_t, kIndexSize> index{};
    index.fill(kNotInTable);
    // From the end, so that the first entry of an id wins, as for
    // FindContactProperty.
    for (std::size_t at = kPropertyCount; at-- > 0;) {
        const ULONG id = PROP_ID(kContactProperties[at].tag);
        for (const IdRange& range : kRanges) {
            if (id - range.first < range.size) {
                index[range.offset + id - range.first] = static_cast<std::uint8_t>(at);
            }
        }
    }
    return index;
}
constexpr auto kIndex = BuildIndex();

constexpr std::size_t PositionOf(ULONG id) {
    for (const IdRange& range : kRanges) {
        if (id - range.first < range.size) {
            return kIndex[range.offset + id - range.first];
        }
    }
    return kNotInTable;
}

constexpr bool EveryIdIndexed() {
    for (const ContactProperty& property : kContactProperties) {
        if (PositionOf(PROP_ID(property.tag)) == kNotInTable) {
            return false;
        }
    }
    return true;
}
static_assert(EveryIdIndexed(), "a table id lies outside the index's ranges");

constexpr std::size_t kBirthday = PositionOf(PROP_ID(PR_BIRTHDAY));
constexpr std::size_t kDefaultEmail = PositionOf(PROP_ID(PR_EMAIL_ADDRESS));
constexpr std::size_t kEmailList = PositionOf(PROP_ID(PR_CONTACT_EMAIL_ADDRESSES));

bool IsZero(const FILETIME& time) {
    return time.dwLowDateTime == 0 && time.dwHighDateTime == 0;
}

// 9999-12-30 00:00 UTC: every earlier instant has a local date before the
// year 10000 in every time zone, so a calendar date the formatters give.
constexpr std::uint64_t kSurelyDated = 3'067'669ULL * 24 * 3600 * 10'000'000;

bool WritesBirthday(const FormatPlaces& format, const FILETIME& birthday) {
    if (format.birthday == nullptr || IsZero(birthday)) {
        return false;
    }
    const std::uint64_t ticks =
        std::uint64_t{birthday.dwHighDateTime} << 32 | birthday.dwLowDateTime;
    BirthdayText text;
    return ticks < kSurelyDated || format.birthday(birthday, text);
}

bool Present(const char* text) {
    return text != nullptr && *text != '\0';
}

// The type of the record's value for the table's entry at each position:
// PT_STRING8 for a field, PT_SYSTIME for the birthday, and for none a value no
// property type has.
constexpr ULONG kNoRecordValue = ~ULONG{0};
constexpr std::array<ULONG, kPropertyCount> BuildRecordTypes() {
    std::array<ULONG, kPropertyCount> types{};
    for (std::size_t at = 0; at < kPropertyCount; ++at) {
        types[at] = at == kBirthday                           ? PT_SYSTIME
                    : kContactProperties[at].field != nullptr ? PT_STRING8
                                                              : kNoRecordValue;
    }
    return types;
}
constexpr auto kRecordTypes = BuildRecordTypes();

// Which property of a contact the record keeps for each of its values: the
// last one of the record's type, as BuildContactRecord keeps it. Noted going
// from the end of the array, so the first one noted is the last.
class RecordValues {
  public:
    void Note(ULONG i, ULONG tag, std::size_t at) {
        if (kRecordTypes[at] == PROP_TYPE(tag)) {
            std::uint64_t& word = m_found[at / 64];
            const std::uint64_t bit = std::uint64_t{1} << (at % 64);
            if ((word & bit) == 0) {
                word |= bit;
                m_last[at] = i;
            }
        }
    }
    // Only for a position whose record value is noted.
    ULONG Last(std::size_t at) const { return m_last[at]; }

  private:
    static_assert(kPropertyCount <= 128);
    std::uint64_t m_found[2] = {};
    ULONG m_last[kPropertyCount];  // set where m_found says
};

// Whether an overwritten default address is among the additional ones, all
// written but those equal to the default address written (and so there).
bool AmongOtherEmails(const SPropValue* props, ULONG count, const char* address) {
    for (ULONG i = 0; i < count; ++i) {
        const SPropValue& prop = props[i];
        if (prop.ulPropTag != PR_CONTACT_EMAIL_ADDRESSES || prop.Value.MVszA.lppszA == nullptr) {
            continue;
        }
        for (ULONG v = 0; v < prop.Value.MVszA.cValues; ++v) {
            const char* entry = prop.Value.MVszA.lppszA[v];
            if (entry != nullptr && std::strcmp(entry, address) == 0) {
                return true;
            }
        }
    }
    return false;
}

// Whether a record value other than a field's kept one is in the format's
// output: the birthday, and values a later one replaced, whose data is there
// only as that value (or, for the default address, as an additional one).
bool RecordValueInOutput(const FormatPlaces& format, const SPropValue* props, ULONG count, ULONG i,
                         std::size_t at, const RecordValues& record) {
    const SPropValue& kept = props[record.Last(at)];
    const PropValue& value = props[i].Value;
    if (at == kBirthday) {
        return WritesBirthday(format, kept.Value.ft) &&
               std::memcmp(&kept.Value.ft, &value.ft, sizeof(FILETIME)) == 0;
    }
    if (value.lpszA == nullptr) {
        return false;
    }
    if (format.writes[at] && kept.Value.lpszA != nullptr &&
        std::strcmp(kept.Value.lpszA, value.lpszA) == 0) {
        return true;
    }
    return at == kDefaultEmail && AmongOtherEmails(props, count, value.lpszA);
}

// Whether the value at props[i], of the table's entry at `at`, is in the
// format's output (or is the record's absent value).
inline bool InOutput(const FormatPlaces& format, const SPropValue* props, ULONG count, ULONG i,
                     std::size_t at, const RecordValues& record) {
    const ULONG type = PROP_TYPE(props[i].ulPropTag);
    if (at == kEmailList) {
        return type == PT_MV_STRING8;
    }
    if (type != kRecordTypes[at]) {
        return false;  // no place in the record, or a type it ignores
    }
    if (at != kBirthday && record.Last(at) == i) {
        return format.writes[at];  // a field's value the record keeps
    }
    return RecordValueInOutput(format, props, count, i, at, record);
}

// The label and text of left-out values, made only for ListLeftOut.
class ValueTexts {
  public:
    std::string_view Label(ULONG tag, const ContactProperty* property) {
        if (property != nullptr) {
            return property->label;
        }
        std::snprintf(m_label, sizeof m_label, "Custom field 0x%04" PRIX32,
                      static_cast<std::uint32_t>(PROP_ID(tag)));
        return m_label;
    }
    std::string_view Text(const SPropValue& prop) {
        switch (PROP_TYPE(prop.ulPropTag)) {
            case PT_STRING8:
                return prop.Value.lpszA;
            case PT_SYSTIME: {
                const FILETIME& ft = prop.Value.ft;
                if (const auto date = FileTimeToLocalDate(ft.dwLowDateTime, ft.dwHighDateTime)) {
                    std::snprintf(m_text, sizeof m_text, "%04d-%02d-%02d", date->year, date->month,
                                  date->day);
                } else {
                    std::snprintf(m_text, sizeof m_text, "0x%08" PRIX32 "%08" PRIX32,
                                  ft.dwHighDateTime, ft.dwLowDateTime);
                }
                break;
            }
            case PT_LONG:
                std::snprintf(m_text, sizeof m_text, "%" PRId32,
                              static_cast<std::int32_t>(prop.Value.l));
                break;
            case PT_BINARY:
                std::snprintf(m_text, sizeof m_text, "%" PRIu32 " bytes",
                              static_cast<std::uint32_t>(prop.Value.bin.cb));
                break;
            default:
                std::snprintf(m_text, sizeof m_text, "a value of type 0x%04" PRIX32,
                              static_cast<std::uint32_t>(PROP_TYPE(prop.ulPropTag)));
                break;
        }
        return m_text;
    }

  private:
    char m_label[32];
    char m_text[48];
};

// The values a property holds: none when absent, one per present entry of a
// multi-valued one. Each is given to `list` when it is set.
std::uint64_t CountValues(const SPropValue& prop, const ContactProperty* property, int position,
                          const ListLeftOut& list) {
    const ULONG type = PROP_TYPE(prop.ulPropTag);
    if (type == PT_MV_STRING8) {
        if (prop.Value.MVszA.lppszA == nullptr) {
            return 0;
        }
        std::uint64_t values = 0;
        ValueTexts texts;
        for (ULONG v = 0; v < prop.Value.MVszA.cValues; ++v) {
            const char* entry = prop.Value.MVszA.lppszA[v];
            if (Present(entry)) {
                ++values;
                if (list) {
                    list({position, texts.Label(prop.ulPropTag, property), entry});
                }
            }
        }
        return values;
    }
    const bool absent = type == PT_ERROR || (type == PT_STRING8 && !Present(prop.Value.lpszA)) ||
                        (type == PT_SYSTIME && IsZero(prop.Value.ft)) ||
                        (type == PT_BINARY && prop.Value.bin.cb == 0);
    if (absent) {
        return 0;
    }
    if (list) {
        ValueTexts texts;
        list({position, texts.Label(prop.ulPropTag, property), texts.Text(prop)});
    }
    return 1;
}

}  // namespace

std::uint64_t LeftOutCounts::Total() const {
    std::uint64_t total = 0;
    for (const std::uint64_t count : byKind) {
        total += count;
    }
    return total;
}

void CountLeftOut(const FormatPlaces& format, const SPropValue* props, ULONG count, int position,
                  LeftOutCounts& counts, const ListLeftOut& list) {
    if (props == nullptr) {
        return;
    }
    counts.format = format.name;
    RecordValues record;
    unsigned addresses = 0;  // bits of the AddressOf values already counted
    const auto countProperty = [&](ULONG i) {
        const ULONG tag = props[i].ulPropTag;
        const std::size_t at = PositionOf(PROP_ID(tag));
        const ContactProperty* property = at == kNotInTable ? nullptr : &kContactProperties[at];
        if (property != nullptr) {
            if (property->kind == ValueKind::Bookkeeping) {
                return;
            }
            record.Note(i, tag, at);
            if (InOutput(format, props, count, i, at, record)) {
                return;
            }
        }
        const std::uint64_t values = CountValues(props[i], property, position, list);
        if (values == 0) {
            return;
        }
        const ValueKind kind = property != nullptr ? property->kind : ValueKind::Other;
        const AddressOf address = property != nullptr ? property->address : AddressOf::None;
        if (address == AddressOf::None) {
            counts.byKind[static_cast<std::size_t>(kind)] += values;
        } else if ((addresses & (1u << static_cast<unsigned>(address))) == 0) {
            addresses |= 1u << static_cast<unsigned>(address);
            counts.byKind[static_cast<std::size_t>(kind)] += 1;
        }
    };
    // Counted from the end, so that a record value is noted before any it
    // replaced; listed in the array's order, after noting them all.
    if (!list) {
        for (ULONG i = count; i-- > 0;) {
            countProperty(i);
        }
        return;
    }
    for (ULONG i = count; i-- > 0;) {
        const std::size_t at = PositionOf(PROP_ID(props[i].ulPropTag));
        if (at != kNotInTable) {
            record.Note(i, props[i].ulPropTag, at);
        }
    }
    for (ULONG i = 0; i < count; ++i) {
        countProperty(i);
    }
}

std::string DescribeLeftOut(const LeftOutCounts& counts) {
    struct Noun {
        ValueKind kind;
        const char* one;
        const char* many;
    };
    static constexpr Noun kNouns[] = {
        {ValueKind::Phone, "phone", "phones"},
        {ValueKind::Address, "address", "addresses"},
        {ValueKind::Name, "name part", "name parts"},
        {ValueKind::Email, "e-mail address", "e-mail addresses"},
        {ValueKind::Date, "date", "dates"},
        {ValueKind::Organisation, "work detail", "work details"},
        {ValueKind::WebPage, "web page", "web pages"},
        {ValueKind::Note, "note", "notes"},
        {ValueKind::Other, "other value", "other values"},
    };
    std::string text;
    for (const Noun& noun : kNouns) {
        const std::uint64_t n = counts.byKind[static_cast<std::size_t>(noun.kind)];
        if (n != 0) {
            text += (text.empty() ? "" : ", ") + std::to_string(n) + " " +
                    (n == 1 ? noun.one : noun.many);
        }
    }
    return text;
}
