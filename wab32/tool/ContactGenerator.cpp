#include "wab32/tool/ContactGenerator.h"

#include "properties/PropertyTags.h"

#include <array>
#include <chrono>
#include <string>
#include <vector>

namespace wab32 {

namespace {

// splitmix64: small, fast and the same on every platform.
class SplitMix {
  public:
    explicit SplitMix(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }

  private:
    std::uint64_t m_state;
};

constexpr std::array<const char*, 16> kGiven{"Anna",   "Bruno", "Chloe", "David", "Elif",  "Femi",
                                             "Greta",  "Hugo",  "Ines",  "Jonas", "Kaito", "Lena",
                                             "Marius", "Nadia", "Oskar", "Priya"};
constexpr std::array<const char*, 16> kSurname{
    "Albrecht", "Baker", "Costa",    "Dubois", "Eriksen", "Fischer",  "Garcia", "Hansen",
    "Ivanova",  "Jones", "Kowalski", "Lopez",  "Meyer",   "Nakamura", "Okafor", "Petrov"};
constexpr std::array<const char*, 8> kCity{"Berlin", "Lyon",  "Porto", "Oslo",
                                           "Turin",  "Ghent", "Cork",  "Graz"};
// Names with bytes 0x80 to 0xFF (Latin-1 letters and a run of high bytes).
constexpr std::array<const char*, 4> kHighByte{"M\xFCller GmbH", "Caf\xE9 \xC0 la Cr\xE8me",
                                               "\x80\x9F\xA0\xFF Works", "S\xE3o Jo\xE3o"};

std::uint64_t FiletimeOf(int y, unsigned m, unsigned d, std::int64_t ticksInDay) {
    using namespace std::chrono;
    const auto days1601 =
        (sys_days(year{y} / month{m} / day{d}) - sys_days(year{1601} / January / 1)).count();
    return static_cast<std::uint64_t>(days1601 * 864000000000ll + ticksInDay);
}

class Generator {
  public:
    Generator(CBookWriter& writer, std::uint64_t seed) : m_writer(writer), m_seed(seed) {}

    bool Entry(std::uint64_t i) {
        SplitMix rng(m_seed * 0x100000001B3ull + i);
        m_props.clear();
        if (i % 50 == 49) {
            Str(PR_DISPLAY_NAME_A,
                "Group " + std::to_string(rng.Below(1000)) + " #" + std::to_string(i));
            Str(PR_COMMENT, "Distribution list\r\nfor the team");
            return m_writer.AddEntry(MAPI_DISTLIST, m_props);
        }
        const std::string given = kGiven[rng.Below(kGiven.size())];
        const std::string surname = kSurname[rng.Below(kSurname.size())];
        const std::string middle =
            i % 11 == 0 ? "" : std::string(1, static_cast<char>('A' + i % 26));
        const std::string n = std::to_string(i);
        const std::string email = given + "." + surname + n + "@example.com";
        const std::string city = kCity[rng.Below(kCity.size())];

        Str(PR_GIVEN_NAME, given);
        Str(PR_MIDDLE_NAME, middle);
        Str(PR_SURNAME, surname);
        Str(PR_DISPLAY_NAME_A, middle.empty() ? given + " " + surname + " " + n
                                              : given + " " + middle + ". " + surname + " " + n);
        Str(PR_EMAIL_ADDRESS, email);
        Birthday(i, rng);
        Str(PR_COMPANY_NAME,
            i % 13 == 0 ? kHighByte[i / 13 % kHighByte.size()] : surname + " & Partners");
        Str(PR_BUSINESS_ADDRESS_STREET,
            i % 7 == 3 ? n + " Harbour Road\r\nUnit 4\rRear\nGate" : n + " Harbour Road");
        Str(PR_BUSINESS_ADDRESS_CITY, city);
        Str(PR_BUSINESS_ADDRESS_STATE_OR_PROVINCE, "Region " + std::to_string(rng.Below(90)));
        Str(PR_BUSINESS_ADDRESS_POSTAL_CODE, std::to_string(10000 + rng.Below(89999)));
        Str(PR_BUSINESS_ADDRESS_COUNTRY, "Country " + std::to_string(rng.Below(40)));
        Str(PR_TITLE, "Engineer");
        Str(PR_DEPARTMENT_NAME, "Dept " + std::to_string(rng.Below(20)));
        Str(PR_OFFICE_LOCATION, "Room " + std::to_string(rng.Below(500)));
        Str(PR_BUSINESS_TELEPHONE_NUMBER, "+49 30 " + std::to_string(1000000 + rng.Below(8999999)));
        Str(PR_BUSINESS_FAX_NUMBER,
            i % 11 == 0 ? "" : "+49 30 " + std::to_string(rng.Below(9999999)));
        Str(PR_PAGER_TELEPHONE_NUMBER, "+49 171 " + std::to_string(rng.Below(9999999)));
        Str(PR_BUSINESS_HOME_PAGE, "https://example.com/" + n);
        Str(PR_HOME_ADDRESS_STREET, i % 7 == 0 ? n + " Elm St\r\nApt 2" : n + " Elm St");
        Str(PR_HOME_ADDRESS_CITY, city);
        Str(PR_HOME_ADDRESS_STATE_OR_PROVINCE, "State " + std::to_string(rng.Below(50)));
        Str(PR_HOME_ADDRESS_POSTAL_CODE, std::to_string(rng.Below(99999)));
        Str(PR_HOME_ADDRESS_COUNTRY, "Country " + std::to_string(rng.Below(40)));
        Str(PR_HOME_TELEPHONE_NUMBER, "+44 20 " + std::to_string(rng.Below(99999999)));
        Str(PR_HOME_FAX_NUMBER, "+44 20 " + std::to_string(rng.Below(99999999)));
        Str(PR_MOBILE_TELEPHONE_NUMBER, "+44 7700 " + std::to_string(rng.Below(999999)));
        Str(PR_PERSONAL_HOME_PAGE, "http://home.example.org/~" + given);
        Comment(i);
        Emails(i, email, rng);
        return m_writer.AddEntry(MAPI_MAILUSER, m_props);
    }

  private:
    void Str(ULONG tag, std::string value) {
        StoredProperty p;
        p.tag = tag;
        p.bytes = std::move(value);
        m_props.push_back(std::move(p));
    }

    // Birthdays around midnight UTC, in years before 1000, and ordinary ones.
    void Birthday(std::uint64_t i, SplitMix& rng) {
        constexpr std::int64_t kDay = 864000000000ll;
        std::uint64_t ft = 0;
        switch (i % 6) {
            case 0:
                ft = FiletimeOf(1970 + static_cast<int>(rng.Below(40)), 6, 15, kDay / 2);
                break;
            case 1:
                ft = FiletimeOf(1985, 3, 14, kDay - 1);  // last tick before midnight
                break;
            case 2:
                ft = FiletimeOf(1990, 12, 31, 0);  // midnight exactly
                break;
            case 3:
                ft = FiletimeOf(1650 + static_cast<int>(rng.Below(300)), 1, 1, 10000000);
                break;
            case 4:
                ft = i % 12 == 4 ? 0 : FiletimeOf(2000, 2, 29, kDay - 10000000);
                break;
            default:
                // Years before 1000 lie before the FILETIME epoch; their counts
                // wrap to huge values, which the export must still survive.
                ft = FiletimeOf(800 + static_cast<int>(rng.Below(199)), 7, 4, 0);
                break;
        }
        if (ft == 0) {
            return;
        }
        StoredProperty p;
        p.tag = PR_BIRTHDAY;
        p.filetime = ft;
        m_props.push_back(std::move(p));
    }

    void Comment(std::uint64_t i) {
        if (i % 97 == 5) {
            std::string longText = "Long note " + std::to_string(i) + ":";
            while (longText.size() < 5000) {
                longText += " lorem ipsum dolor sit amet\r\n";
            }
            Str(PR_COMMENT, std::move(longText));
        } else if (i % 7 == 0) {
            Str(PR_COMMENT, "Line one\r\nLine two\rLone CR\nLone LF\r\n");
        } else if (i % 11 == 0) {
            Str(PR_COMMENT, "");
        } else {
            Str(PR_COMMENT, "Met at conference " + std::to_string(i % 30));
        }
    }

    // The default address first, others, a repeat of the default and a case
    // variant of it.
    void Emails(std::uint64_t i, const std::string& email, SplitMix& rng) {
        StoredProperty p;
        p.tag = PR_CONTACT_EMAIL_ADDRESSES;
        p.values.push_back(email);
        if (i % 3 != 0) {
            p.values.push_back("alt" + std::to_string(rng.Below(1000)) + "@example.net");
        }
        if (i % 4 == 1) {
            p.values.push_back(email);
        }
        if (i % 5 == 2) {
            std::string upper = email;
            for (char& c : upper) {
                if (c >= 'a' && c <= 'z') {
                    c = static_cast<char>(c - 'a' + 'A');
                }
            }
            p.values.push_back(upper);
        }
        m_props.push_back(std::move(p));
    }

    CBookWriter& m_writer;
    std::uint64_t m_seed;
    std::vector<StoredProperty> m_props;
};

}  // namespace

bool GenerateContacts(CBookWriter& writer, std::uint64_t count, std::uint64_t seed) {
    Generator generator(writer, seed);
    for (std::uint64_t i = 0; i < count; ++i) {
        if (!generator.Entry(i)) {
            return false;
        }
    }
    return true;
}

}  // namespace wab32
