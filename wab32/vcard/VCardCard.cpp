#include "wab32/vcard/VCardCard.h"

#include "properties/ContactProperties.h"
#include "wab32/vcard/VCardLine.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace wab32::vcard {

namespace {

// The single-valued text properties of an entry, in the order they are stored.
enum Slot {
    kGiven,
    kMiddle,
    kSurname,
    kDisplay,
    kEmail,
    kCompany,
    kBusinessStreet,
    kBusinessCity,
    kBusinessState,
    kBusinessPostal,
    kBusinessCountry,
    kTitle,
    kDepartment,
    kOffice,
    kBusinessPhone,
    kBusinessFax,
    kPager,
    kBusinessPage,
    kHomeStreet,
    kHomeCity,
    kHomeState,
    kHomePostal,
    kHomeCountry,
    kHomePhone,
    kHomeFax,
    kMobile,
    kPersonalPage,
    kComment,
    kPrefix,
    kSuffix,
    kNickname,
    kProfession,
    kManager,
    kAssistant,
    kSpouse,
    kBusiness2Phone,
    kHome2Phone,
    kCarPhone,
    kOtherPhone,
    kCompanyPhone,
    kIsdn,
    kTextPhone,
    kOtherFax,
    kOtherStreet,
    kOtherCity,
    kOtherState,
    kOtherPostal,
    kOtherCountry,
    kSlotCount
};

constexpr ULONG kSlotTags[kSlotCount] = {
    PR_GIVEN_NAME,
    PR_MIDDLE_NAME,
    PR_SURNAME,
    PR_DISPLAY_NAME_A,
    PR_EMAIL_ADDRESS,
    PR_COMPANY_NAME,
    PR_BUSINESS_ADDRESS_STREET,
    PR_BUSINESS_ADDRESS_CITY,
    PR_BUSINESS_ADDRESS_STATE_OR_PROVINCE,
    PR_BUSINESS_ADDRESS_POSTAL_CODE,
    PR_BUSINESS_ADDRESS_COUNTRY,
    PR_TITLE,
    PR_DEPARTMENT_NAME,
    PR_OFFICE_LOCATION,
    PR_BUSINESS_TELEPHONE_NUMBER,
    PR_BUSINESS_FAX_NUMBER,
    PR_PAGER_TELEPHONE_NUMBER,
    PR_BUSINESS_HOME_PAGE,
    PR_HOME_ADDRESS_STREET,
    PR_HOME_ADDRESS_CITY,
    PR_HOME_ADDRESS_STATE_OR_PROVINCE,
    PR_HOME_ADDRESS_POSTAL_CODE,
    PR_HOME_ADDRESS_COUNTRY,
    PR_HOME_TELEPHONE_NUMBER,
    PR_HOME_FAX_NUMBER,
    PR_MOBILE_TELEPHONE_NUMBER,
    PR_PERSONAL_HOME_PAGE,
    PR_COMMENT,
    PR_DISPLAY_NAME_PREFIX,
    PR_GENERATION,
    PR_NICKNAME,
    PR_PROFESSION,
    PR_MANAGER_NAME,
    PR_ASSISTANT,
    PR_SPOUSE_NAME,
    PR_BUSINESS2_TELEPHONE_NUMBER,
    PR_HOME2_TELEPHONE_NUMBER,
    PR_CAR_TELEPHONE_NUMBER,
    PR_OTHER_TELEPHONE_NUMBER,
    PR_COMPANY_MAIN_PHONE_NUMBER,
    PR_ISDN_NUMBER,
    PR_TTYTDD_PHONE_NUMBER,
    PR_PRIMARY_FAX_NUMBER,
    PR_OTHER_ADDRESS_STREET,
    PR_OTHER_ADDRESS_CITY,
    PR_OTHER_ADDRESS_STATE_OR_PROVINCE,
    PR_OTHER_ADDRESS_POSTAL_CODE,
    PR_OTHER_ADDRESS_COUNTRY,
};

// Properties that are the card's bookkeeping, not the person's data.
constexpr std::string_view kBookkeeping[] = {
    "VERSION",
    "PRODID",
    "UID",
    "REV",
    "SOURCE",
    "NAME",
    "PROFILE",
    "BEGIN",
    "END",
    "CLIENTPIDMAP",
    "MEMBER",
    "X-ADDRESSBOOKSERVER-MEMBER",
    "CLASS",
    "X-ABUID",
    "X-ABLABEL",
    "X-ABADR",
    "X-ABSHOWAS",
    "X-EVOLUTION-FILE-AS",
    "X-MS-OL-DEFAULT-POSTAL-ADDRESS",
    "X-MS-OL-DESIGN",
};

// Single-valued properties by name: the first one fills the slot.
struct NamedSlot {
    std::string_view name;
    Slot slot;
};
constexpr NamedSlot kNamedSlots[] = {
    {"FN", kDisplay},
    {"NICKNAME", kNickname},
    {"TITLE", kTitle},
    {"ROLE", kProfession},
    {"NOTE", kComment},
    {"X-KADDRESSBOOK-X-PROFESSION", kProfession},
    {"X-KADDRESSBOOK-X-OFFICE", kOffice},
    {"X-EVOLUTION-SPOUSE", kSpouse},
    {"X-KADDRESSBOOK-X-SPOUSESNAME", kSpouse},
    {"X-MS-SPOUSE", kSpouse},
    {"X-SPOUSE", kSpouse},
    {"X-EVOLUTION-MANAGER", kManager},
    {"X-KADDRESSBOOK-X-MANAGERSNAME", kManager},
    {"X-MS-MANAGER", kManager},
    {"X-MANAGER", kManager},
    {"X-EVOLUTION-ASSISTANT", kAssistant},
    {"X-KADDRESSBOOK-X-ASSISTANTSNAME", kAssistant},
    {"X-MS-ASSISTANT", kAssistant},
    {"X-ASSISTANT", kAssistant},
};

constexpr std::string_view kAnniversaryNames[] = {
    "ANNIVERSARY",      "X-ANNIVERSARY", "X-EVOLUTION-ANNIVERSARY", "X-KADDRESSBOOK-X-ANNIVERSARY",
    "X-MS-ANNIVERSARY",
};

// A kind of telephone number: the slots it fills in turn, and its label in
// PR_MORE_TELEPHONE_NUMBERS once they are taken.
struct PhoneKind {
    Slot first;
    Slot second;  // kSlotCount for none
    std::string_view label;
};

PhoneKind PhoneKindOf(const ContentLine& line) {
    const bool work = line.HasType("WORK");
    if (line.HasType("CELL")) {
        return {kMobile, kSlotCount, "Mobile"};
    }
    if (line.HasType("PAGER")) {
        return {kPager, kSlotCount, "Pager"};
    }
    if (line.HasType("FAX")) {
        return work ? PhoneKind{kBusinessFax, kOtherFax, "Business fax"}
                    : PhoneKind{kHomeFax, kOtherFax, "Fax"};
    }
    if (line.HasType("CAR")) {
        return {kCarPhone, kSlotCount, "Car"};
    }
    if (line.HasType("ISDN")) {
        return {kIsdn, kSlotCount, "ISDN"};
    }
    if (line.HasType("TEXTPHONE") || line.HasType("TTY") || line.HasType("TDD")) {
        return {kTextPhone, kSlotCount, "Text phone"};
    }
    if (line.HasType("MAIN") || line.HasType("X-COMPANY_MAIN")) {
        return {kCompanyPhone, kSlotCount, "Company"};
    }
    if (work) {
        return {kBusinessPhone, kBusiness2Phone, "Business"};
    }
    if (line.HasType("HOME")) {
        return {kHomePhone, kHome2Phone, "Home"};
    }
    return {kHomePhone, kOtherPhone, "Phone"};
}

enum AddressKind { kHomeAddress, kBusinessAddress, kOtherAddress };

bool IsOneOf(std::string_view name, const std::string_view* begin, const std::string_view* end) {
    return std::find(begin, end, name) != end;
}

// Days from 1601-01-01, where a FILETIME counts from, to 1970-01-01.
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;

// "19720916", "1972-09-16", either with a time after "T": 12:00 local time of
// that date in the process's zone as a FILETIME (12:00 UTC where that day has
// no 12:00), so that the export's local date is that date in every zone.
// nullopt for no date, one without a year, or one before 1601.
std::optional<std::uint64_t> DateOf(std::string_view text) {
    text = text.substr(0, text.find_first_of("Tt"));
    std::string digits;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            digits.push_back(c);
        } else if (c != '-' && c != ' ') {
            return std::nullopt;
        }
    }
    if (digits.size() < 5 || digits.size() > 8 || text.starts_with("--")) {
        return std::nullopt;
    }
    const std::size_t n = digits.size();
    const int y = std::stoi(digits.substr(0, n - 4));
    const int m = std::stoi(digits.substr(n - 4, 2));
    const int d = std::stoi(digits.substr(n - 2, 2));
    const std::chrono::year_month_day date{std::chrono::year{y},
                                           std::chrono::month{static_cast<unsigned>(m)},
                                           std::chrono::day{static_cast<unsigned>(d)}};
    if (!date.ok() || y < 1601) {
        return std::nullopt;
    }
    // 12:00 UTC less the zone's offset there, and again with the offset of
    // that instant should a daylight-saving change lie between. localtime_r,
    // unlike mktime, does not look at the zone's file again on every call.
    const std::int64_t utcNoon =
        std::int64_t{std::chrono::sys_days(date).time_since_epoch().count()} * 86400 + 43200;
    std::int64_t seconds = utcNoon;
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::tm local{};
        const auto at = static_cast<std::time_t>(seconds);
        if (localtime_r(&at, &local) != nullptr && local.tm_mday == d && local.tm_hour == 12 &&
            local.tm_min == 0) {
            return static_cast<std::uint64_t>(seconds + kSecondsFrom1601To1970) * 10000000u;
        }
        seconds = utcNoon - local.tm_gmtoff;
    }
    seconds = utcNoon;  // no 12:00 that day in this zone
    return static_cast<std::uint64_t>(seconds + kSecondsFrom1601To1970) * 10000000u;
}

std::string JoinNonEmpty(const std::vector<const std::string*>& parts, std::string_view sep) {
    std::string out;
    for (const std::string* p : parts) {
        if (!p->empty()) {
            out += out.empty() ? "" : sep;
            out += *p;
        }
    }
    return out;
}

struct Email {
    std::string address;
    int prefRank;
};

class CardMapper {
  public:
    explicit CardMapper(DecodeContext context) : m_context(context) {}
    // False when a value cannot be decoded.
    bool Add(const ContentLine& line);
    void AddStray(std::string_view text) {
        m_more.push_back("Unreadable line: " + PlainTextToUtf8(text));
    }
    CardEntry Finish();

  private:
    bool Free(Slot s) const { return !m_slots[s]; }
    void AddMore(std::string_view name, const std::string& value) {
        m_more.push_back(std::string(name) + ": " + value);
    }
    bool AddAddress(const ContentLine& line);
    bool AddPhone(const ContentLine& line);
    bool AddDate(const ContentLine& line, std::optional<std::uint64_t>& date);

    DecodeContext m_context;
    std::optional<std::string> m_slots[kSlotCount];
    std::optional<std::uint64_t> m_birthday;
    std::optional<std::uint64_t> m_anniversary;
    std::vector<Email> m_emails;
    std::vector<std::string> m_morePhones;
    std::vector<std::string> m_moreAddresses;
    std::vector<std::string> m_morePages;
    std::vector<std::string> m_more;
    std::vector<std::string> m_labels;  // kept only when the card has no ADR
    bool m_addressTaken[3] = {false, false, false};
    bool m_anyAddress = false;
    bool m_group = false;
    bool m_nameSeen = false;
    bool m_orgSeen = false;
};

bool CardMapper::AddAddress(const ContentLine& line) {
    std::optional<std::vector<std::string>> c = DecodeComponents(line, m_context);
    if (!c) {
        return false;
    }
    c->resize(std::max<std::size_t>(c->size(), 7));
    // PO box, extended, street, city, region, code, country; more is kept too.
    if (std::all_of(c->begin(), c->end(), [](const std::string& s) { return s.empty(); })) {
        return true;
    }
    m_anyAddress = true;
    const bool work = line.HasType("WORK");
    AddressKind kind = work ? kBusinessAddress : kHomeAddress;
    if (m_addressTaken[kind]) {
        kind = kOtherAddress;
    }
    if (m_addressTaken[kind] || c->size() > 7) {
        std::vector<const std::string*> all;
        for (const std::string& s : *c) {
            all.push_back(&s);
        }
        const std::string text = JoinNonEmpty(all, "\r\n");
        m_moreAddresses.push_back(std::string(work                   ? "Business: "
                                              : line.HasType("HOME") ? "Home: "
                                                                     : "Address: ") +
                                  text);
        return true;
    }
    m_addressTaken[kind] = true;
    const auto set = [this](Slot s, const std::string& v) {
        if (v.empty()) {
            return;
        }
        if (Free(s)) {
            m_slots[s] = v;
        } else {
            AddMore("Office", v);  // X-KADDRESSBOOK-X-OFFICE came first
        }
    };
    const std::vector<std::string>& p = *c;
    const Slot base = kind == kBusinessAddress ? kBusinessStreet
                      : kind == kHomeAddress   ? kHomeStreet
                                               : kOtherStreet;
    if (kind == kBusinessAddress) {
        set(kOffice, p[1]);
        set(kBusinessStreet, JoinNonEmpty({&p[2], &p[0]}, "\r\n"));
    } else {
        set(base, JoinNonEmpty({&p[2], &p[1], &p[0]}, "\r\n"));
    }
    for (int i = 1; i <= 4; ++i) {
        set(static_cast<Slot>(base + i), p[2 + static_cast<std::size_t>(i)]);
    }
    return true;
}

bool CardMapper::AddPhone(const ContentLine& line) {
    std::optional<std::string> value = DecodeText(line, m_context);
    if (!value) {
        return false;
    }
    if (value->size() >= 4 && EqualsNoCase(std::string_view(*value).substr(0, 4), "tel:")) {
        value->erase(0, 4);  // a 4.0 number given as a tel: address
    }
    const PhoneKind kind = PhoneKindOf(line);
    if (Free(kind.first)) {
        m_slots[kind.first] = std::move(*value);
    } else if (kind.second != kSlotCount && Free(kind.second)) {
        m_slots[kind.second] = std::move(*value);
    } else {
        m_morePhones.push_back(std::string(kind.label) + ": " + *value);
    }
    return true;
}

bool CardMapper::AddDate(const ContentLine& line, std::optional<std::uint64_t>& date) {
    std::optional<std::string> value = DecodeText(line, m_context);
    if (!value) {
        return false;
    }
    const std::optional<std::uint64_t> read = date ? std::nullopt : DateOf(*value);
    if (read) {
        date = read;
    } else if (!value->empty()) {
        AddMore(line.name, *value);
    }
    return true;
}

bool CardMapper::Add(const ContentLine& line) {
    const std::string_view name = line.name;
    if (name == "TEL") {
        return AddPhone(line);
    }
    if (name == "ADR") {
        return AddAddress(line);
    }
    if (name == "KIND" || name == "X-ADDRESSBOOKSERVER-KIND") {
        std::optional<std::string> value = DecodeText(line, m_context);
        m_group = m_group || (value && EqualsNoCase(*value, "group"));
        return value.has_value();
    }
    if (name == "N" || name == "ORG") {
        std::optional<std::vector<std::string>> c = DecodeComponents(line, m_context);
        if (!c) {
            return false;
        }
        const bool isName = name == "N";
        bool& seen = isName ? m_nameSeen : m_orgSeen;
        const std::size_t fields = isName ? 5 : 2;
        if (seen) {
            std::vector<const std::string*> all;
            for (const std::string& s : *c) {
                all.push_back(&s);
            }
            const std::string text = JoinNonEmpty(all, "; ");
            if (!text.empty()) {
                AddMore(name, text);
            }
            return true;
        }
        seen = true;
        const Slot nameSlots[] = {kSurname, kGiven, kMiddle, kPrefix, kSuffix};
        const Slot orgSlots[] = {kCompany, kDepartment};
        for (std::size_t i = 0; i < c->size(); ++i) {
            if ((*c)[i].empty()) {
                continue;
            }
            if (i < fields) {
                m_slots[isName ? nameSlots[i] : orgSlots[i]] = (*c)[i];
            } else {
                AddMore(name, (*c)[i]);  // further units, or a name's extra parts
            }
        }
        return true;
    }
    if (name == "BDAY") {
        return AddDate(line, m_birthday);
    }
    if (IsOneOf(name, std::begin(kBookkeeping), std::end(kBookkeeping))) {
        return true;
    }
    if (IsOneOf(name, std::begin(kAnniversaryNames), std::end(kAnniversaryNames))) {
        return AddDate(line, m_anniversary);
    }
    const bool binary = name == "PHOTO" || name == "LOGO" || name == "SOUND" || name == "KEY";
    if (binary && (line.transfer == Transfer::Base64 ||
                   (line.value.size() >= 5 && EqualsNoCase(line.value.substr(0, 5), "data:")))) {
        AddMore(name, "(not kept)");  // the bytes would cost memory and no export writes them
        return true;
    }
    std::optional<std::string> value = DecodeText(line, m_context);
    if (!value) {
        return false;
    }
    if (name == "EMAIL") {
        m_emails.push_back(Email{std::move(*value), line.prefRank == 0 ? 1000 : line.prefRank});
        return true;
    }
    if (name == "URL") {
        // A second untyped address fills the business page, as Quorvel writes both untyped.
        const Slot slot =
            line.HasType("WORK") || !Free(kPersonalPage) ? kBusinessPage : kPersonalPage;
        if (Free(slot)) {
            m_slots[slot] = std::move(*value);
        } else if (!value->empty()) {
            m_morePages.push_back(std::move(*value));
        }
        return true;
    }
    for (const NamedSlot& named : kNamedSlots) {
        if (named.name == name && Free(named.slot)) {
            m_slots[named.slot] = std::move(*value);
            return true;
        }
    }
    if (name == "AGENT" && value->empty()) {
        return true;  // a 2.1 agent's card follows; it is another person's
    }
    if (!value->empty()) {
        (name == "LABEL" ? m_labels : m_more).push_back(line.name + ": " + *value);
    }
    return true;
}

void AddMultiValued(std::vector<StoredProperty>& props, ULONG tag,
                    std::vector<std::string> values) {
    if (!values.empty()) {
        StoredProperty p;
        p.tag = tag;
        p.values = std::move(values);
        props.push_back(std::move(p));
    }
}

void AddDateProperty(std::vector<StoredProperty>& props, ULONG tag,
                     const std::optional<std::uint64_t>& date) {
    if (date) {
        StoredProperty p;
        p.tag = tag;
        p.filetime = *date;
        props.push_back(std::move(p));
    }
}

CardEntry CardMapper::Finish() {
    CardEntry entry;
    entry.objectType = m_group ? MAPI_DISTLIST : MAPI_MAILUSER;
    // The default address: the most preferred one, the first among equals.
    std::size_t chosen = 0;
    for (std::size_t i = 1; i < m_emails.size(); ++i) {
        if (m_emails[i].prefRank < m_emails[chosen].prefRank) {
            chosen = i;
        }
    }
    if (!m_emails.empty()) {
        m_slots[kEmail] = m_emails[chosen].address;
    }
    if (!m_slots[kDisplay]) {
        std::string name;
        for (Slot s : {kGiven, kMiddle, kSurname}) {
            if (m_slots[s]) {
                name += name.empty() ? "" : " ";
                name += *m_slots[s];
            }
        }
        if (!name.empty()) {
            m_slots[kDisplay] = name;
        } else if (m_slots[kCompany]) {
            m_slots[kDisplay] = m_slots[kCompany];
        } else if (!m_emails.empty()) {
            m_slots[kDisplay] = m_emails.front().address;
        }
    }
    entry.displayName = m_slots[kDisplay].value_or(std::string());
    for (int s = 0; s < kSlotCount; ++s) {
        if (m_slots[s]) {
            StoredProperty p;
            p.tag = kSlotTags[s];
            p.bytes = std::move(*m_slots[s]);
            entry.props.push_back(std::move(p));
        }
    }
    AddDateProperty(entry.props, PR_BIRTHDAY, m_birthday);
    AddDateProperty(entry.props, PR_WEDDING_ANNIVERSARY, m_anniversary);
    if (!m_emails.empty()) {
        // The writers list these from the last value to the first and skip
        // the default one: so the default first, then the others reversed.
        std::vector<std::string> values = {m_emails[chosen].address};
        for (std::size_t i = m_emails.size(); i-- > 0;) {
            if (i != chosen) {
                values.push_back(std::move(m_emails[i].address));
            }
        }
        AddMultiValued(entry.props, PR_CONTACT_EMAIL_ADDRESSES, std::move(values));
    }
    if (!m_anyAddress) {
        m_more.insert(m_more.end(), m_labels.begin(), m_labels.end());
    }
    AddMultiValued(entry.props, PR_MORE_TELEPHONE_NUMBERS, std::move(m_morePhones));
    AddMultiValued(entry.props, PR_MORE_ADDRESSES, std::move(m_moreAddresses));
    AddMultiValued(entry.props, PR_MORE_HOME_PAGES, std::move(m_morePages));
    AddMultiValued(entry.props, PR_MORE_VALUES, std::move(m_more));
    return entry;
}

}  // namespace

CardEntry ReadCard(std::string_view body, CardEnd end, bool unicodeFile) {
    CardEntry bad;
    if (end == CardEnd::Outside) {
        bad.damage = "text outside any card";
        return bad;
    }
    if (body.find('\0') != std::string_view::npos) {
        bad.damage = "a NUL byte";
        return bad;
    }
    const CardLines lines = SplitContentLines(body);
    CardMapper mapper(DecodeContext{lines.version, unicodeFile});
    if (end == CardEnd::Unended) {
        bad.damage = "no END:VCARD";
    }
    for (std::size_t i = 0; !bad.damage && i < lines.lines.size(); ++i) {
        if (!mapper.Add(lines.lines[i])) {
            bad.damage = "a " + lines.lines[i].name + " value that cannot be decoded";
        }
    }
    if (!bad.damage) {
        for (std::string_view stray : lines.stray) {
            mapper.AddStray(stray);
        }
        return mapper.Finish();
    }
    for (const ContentLine& line : lines.lines) {
        if (line.name == "FN") {
            bad.displayName = DecodeText(line, DecodeContext{lines.version, unicodeFile})
                                  .value_or(PlainTextToUtf8(line.value));
            break;
        }
    }
    return bad;
}

}  // namespace wab32::vcard
