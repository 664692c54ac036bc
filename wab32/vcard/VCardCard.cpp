#include "wab32/vcard/VCardCard.h"

#include "properties/PropertyTags.h"
#include "wab32/vcard/VCardLine.h"

#include <chrono>
#include <optional>

namespace wab32::vcard {

namespace {

// The string fields of an entry, in the order they are stored.
enum Field {
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
    kFieldCount
};

constexpr ULONG kFieldTags[kFieldCount] = {
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
};

struct Email {
    std::string address;
    int prefRank;
};

// Days from 1601-01-01, where a FILETIME counts from, to 1970-01-01.
constexpr std::int64_t kDaysFrom1601To1970 = 134774;

// "19720916", "1972-09-16", either with a time after "T": 12:00 UTC of that
// date as a FILETIME, so that the local date is the same from UTC-11 to UTC+11.
std::optional<std::uint64_t> BirthdayOf(std::string_view text) {
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
    const unsigned m = static_cast<unsigned>(std::stoi(digits.substr(n - 4, 2)));
    const unsigned d = static_cast<unsigned>(std::stoi(digits.substr(n - 2, 2)));
    const std::chrono::year_month_day date{std::chrono::year{y}, std::chrono::month{m},
                                           std::chrono::day{d}};
    if (!date.ok() || y < 1601) {
        return std::nullopt;
    }
    const std::int64_t days =
        std::chrono::sys_days(date).time_since_epoch().count() + kDaysFrom1601To1970;
    return static_cast<std::uint64_t>(days * 86400 + 43200) * 10000000u;
}

class CardMapper {
  public:
    bool Add(const ContentLine& line);
    CardEntry Finish();

  private:
    // Sets a field the first time only.
    void Set(Field f, std::string value) {
        if (!m_fields[f]) {
            m_fields[f] = std::move(value);
        }
    }
    bool Decode(const ContentLine& line, std::string_view raw, std::string& out) {
        std::optional<std::string> v = DecodeValue(line, raw);
        if (!v) {
            return false;
        }
        out = std::move(*v);
        return true;
    }
    // The decoded components of a structured value; false on a decoding failure.
    bool Components(const ContentLine& line, std::vector<std::string>& out, std::size_t count);
    bool AddAddress(const ContentLine& line);

    std::optional<std::string> m_fields[kFieldCount];
    std::optional<std::uint64_t> m_birthday;
    std::vector<Email> m_emails;
    bool m_addressSeen[2] = {false, false};  // home, work
    bool m_group = false;
    bool m_nameSeen = false;
    bool m_orgSeen = false;
};

bool CardMapper::Components(const ContentLine& line, std::vector<std::string>& out,
                            std::size_t count) {
    out.assign(count, std::string());
    std::vector<std::string_view> raw = SplitComponents(line.value);
    for (std::size_t i = 0; i < raw.size() && i < count; ++i) {
        if (!Decode(line, raw[i], out[i])) {
            return false;
        }
    }
    return true;
}

std::string JoinLines(std::initializer_list<const std::string*> parts) {
    std::string out;
    for (const std::string* p : parts) {
        if (!p->empty()) {
            out += out.empty() ? "" : "\r\n";
            out += *p;
        }
    }
    return out;
}

void SetIfAny(std::optional<std::string>& field, const std::string& value) {
    if (!value.empty()) {
        field = value;
    }
}

bool CardMapper::AddAddress(const ContentLine& line) {
    std::vector<std::string> c;  // PO box, extended, street, city, region, code, country
    if (!Components(line, c, 7)) {
        return false;
    }
    const bool work = line.HasType("WORK");
    bool any = false;
    for (const std::string& s : c) {
        any = any || !s.empty();
    }
    if (!any || m_addressSeen[work ? 1 : 0]) {
        return true;  // the first address of each kind wins
    }
    if (work) {
        SetIfAny(m_fields[kOffice], c[1]);
        SetIfAny(m_fields[kBusinessStreet], JoinLines({&c[2], &c[0]}));
        SetIfAny(m_fields[kBusinessCity], c[3]);
        SetIfAny(m_fields[kBusinessState], c[4]);
        SetIfAny(m_fields[kBusinessPostal], c[5]);
        SetIfAny(m_fields[kBusinessCountry], c[6]);
    } else {
        SetIfAny(m_fields[kHomeStreet], JoinLines({&c[2], &c[1], &c[0]}));
        SetIfAny(m_fields[kHomeCity], c[3]);
        SetIfAny(m_fields[kHomeState], c[4]);
        SetIfAny(m_fields[kHomePostal], c[5]);
        SetIfAny(m_fields[kHomeCountry], c[6]);
    }
    m_addressSeen[work ? 1 : 0] = true;
    return true;
}

bool CardMapper::Add(const ContentLine& line) {
    const std::string& name = line.name;
    std::string value;
    std::vector<std::string> c;
    if (name == "FN") {
        if (!Decode(line, line.value, value)) {
            return false;
        }
        Set(kDisplay, std::move(value));
        return true;
    }
    if (name == "N") {
        if (!Components(line, c, 3)) {
            return false;
        }
        if (!m_nameSeen) {
            m_nameSeen = true;
            SetIfAny(m_fields[kSurname], c[0]);
            SetIfAny(m_fields[kGiven], c[1]);
            SetIfAny(m_fields[kMiddle], c[2]);
        }
        return true;
    }
    if (name == "ORG") {
        if (!Components(line, c, 2)) {
            return false;
        }
        if (!m_orgSeen) {
            m_orgSeen = true;
            SetIfAny(m_fields[kCompany], c[0]);
            SetIfAny(m_fields[kDepartment], c[1]);
        }
        return true;
    }
    if (name == "ADR") {
        return AddAddress(line);
    }
    if (name == "KIND" || name == "X-ADDRESSBOOKSERVER-KIND") {
        if (!Decode(line, line.value, value)) {
            return false;
        }
        m_group = m_group || (value.size() == 5 && (value[0] | 0x20) == 'g' &&
                              (value[1] | 0x20) == 'r' && (value[2] | 0x20) == 'o' &&
                              (value[3] | 0x20) == 'u' && (value[4] | 0x20) == 'p');
        return true;
    }
    Field field = kFieldCount;
    if (name == "EMAIL") {
        if (!Decode(line, line.value, value)) {
            return false;
        }
        m_emails.push_back(Email{std::move(value), line.prefRank == 0 ? 1000 : line.prefRank});
        return true;
    } else if (name == "TEL") {
        if (line.HasType("CELL")) {
            field = kMobile;
        } else if (line.HasType("PAGER")) {
            field = kPager;
        } else if (line.HasType("FAX")) {
            field = line.HasType("WORK") ? kBusinessFax : kHomeFax;
        } else {
            field = line.HasType("WORK") ? kBusinessPhone : kHomePhone;
        }
    } else if (name == "TITLE") {
        field = kTitle;
    } else if (name == "NOTE") {
        field = kComment;
    } else if (name == "URL") {
        // A second untyped address fills the business page, as Quorvel writes both untyped.
        field = line.HasType("WORK") || m_fields[kPersonalPage] ? kBusinessPage : kPersonalPage;
    } else if (name == "BDAY") {
        if (!Decode(line, line.value, value)) {
            return false;
        }
        if (!m_birthday) {
            m_birthday = BirthdayOf(value);
        }
        return true;
    } else {
        return true;  // not carried by the export
    }
    if (!Decode(line, line.value, value)) {
        return false;
    }
    if (name == "TEL" && value.size() > 4 && (value[0] | 0x20) == 't' && (value[1] | 0x20) == 'e' &&
        (value[2] | 0x20) == 'l' && value[3] == ':') {
        value.erase(0, 4);  // a 4.0 number given as a tel: address
    }
    Set(field, std::move(value));
    return true;
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
        Set(kEmail, m_emails[chosen].address);
    }
    if (!m_fields[kDisplay]) {
        const std::string name = [this] {
            std::string n;
            for (Field f : {kGiven, kMiddle, kSurname}) {
                if (m_fields[f]) {
                    n += n.empty() ? "" : " ";
                    n += *m_fields[f];
                }
            }
            return n;
        }();
        if (!name.empty()) {
            m_fields[kDisplay] = name;
        } else if (m_fields[kCompany]) {
            m_fields[kDisplay] = m_fields[kCompany];
        } else if (!m_emails.empty()) {
            m_fields[kDisplay] = m_emails.front().address;
        }
    }
    entry.displayName = m_fields[kDisplay].value_or(std::string());
    for (int f = 0; f < kFieldCount; ++f) {
        if (m_fields[f]) {
            StoredProperty p;
            p.tag = kFieldTags[f];
            p.bytes = std::move(*m_fields[f]);
            entry.props.push_back(std::move(p));
        }
    }
    if (m_birthday) {
        StoredProperty p;
        p.tag = PR_BIRTHDAY;
        p.filetime = *m_birthday;
        entry.props.push_back(std::move(p));
    }
    if (!m_emails.empty()) {
        // The writers list these from the last value to the first and skip
        // the default one: so the default first, then the others reversed.
        StoredProperty p;
        p.tag = PR_CONTACT_EMAIL_ADDRESSES;
        p.values.push_back(m_emails[chosen].address);
        for (std::size_t i = m_emails.size(); i-- > 0;) {
            if (i != chosen) {
                p.values.push_back(std::move(m_emails[i].address));
            }
        }
        entry.props.push_back(std::move(p));
    }
    return entry;
}

}  // namespace

CardEntry ReadCard(std::string_view body, bool whole) {
    CardEntry bad;
    bad.readable = false;
    const std::optional<std::vector<ContentLine>> lines = SplitContentLines(body);
    if (!lines) {
        return bad;
    }
    CardMapper mapper;
    bool readable = whole;
    for (std::size_t i = 0; readable && i < lines->size(); ++i) {
        readable = mapper.Add((*lines)[i]);
    }
    if (readable) {
        return mapper.Finish();
    }
    for (const ContentLine& line : *lines) {
        if (line.name == "FN") {
            bad.displayName = DecodeValue(ContentLine{}, line.value).value_or(std::string());
            break;
        }
    }
    return bad;
}

}  // namespace wab32::vcard
