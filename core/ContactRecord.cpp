#include "core/ContactRecord.h"

#include <array>

namespace {

using StringField = const char* ContactRecord::*;

constexpr ULONG kDenseFirst = 0x3A08;
constexpr ULONG kDenseLast = 0x3A5D;
constexpr ULONG kBirthdayId = 0x3A42;
constexpr ULONG kOtherEmailsId = PROP_ID(PR_CONTACT_EMAIL_ADDRESSES);

// String fields by property id, for ids 0x3A08 to 0x3A5D; null: not mapped.
constexpr std::array<StringField, kDenseLast - kDenseFirst + 1> kDenseFields = [] {
    std::array<StringField, kDenseLast - kDenseFirst + 1> table{};
    const auto set = [&table](ULONG id, StringField field) { table[id - kDenseFirst] = field; };
    set(0x3A08, &ContactRecord::businessPhone);
    set(0x3A09, &ContactRecord::homePhone);
    set(0x3A11, &ContactRecord::surname);
    set(0x3A16, &ContactRecord::companyName);
    set(0x3A17, &ContactRecord::title);
    set(0x3A18, &ContactRecord::departmentName);
    set(0x3A19, &ContactRecord::officeLocation);
    set(0x3A1C, &ContactRecord::mobilePhone);
    set(0x3A21, &ContactRecord::pagerPhone);
    set(0x3A24, &ContactRecord::businessFax);
    set(0x3A25, &ContactRecord::homeFax);
    set(0x3A26, &ContactRecord::businessCountry);
    set(0x3A27, &ContactRecord::businessCity);
    set(0x3A28, &ContactRecord::businessState);
    set(0x3A29, &ContactRecord::businessStreet);
    set(0x3A2A, &ContactRecord::businessPostalCode);
    set(0x3A44, &ContactRecord::middleName);
    set(0x3A50, &ContactRecord::personalHomePage);
    set(0x3A51, &ContactRecord::businessHomePage);
    set(0x3A59, &ContactRecord::homeCity);
    set(0x3A5A, &ContactRecord::homeCountry);
    set(0x3A5B, &ContactRecord::homePostalCode);
    set(0x3A5C, &ContactRecord::homeState);
    set(0x3A5D, &ContactRecord::homeStreet);
    return table;
}();

StringField FieldOf(ULONG id) {
    switch (id) {
        case 0x3001:
            return &ContactRecord::displayName;
        case 0x3003:
            return &ContactRecord::emailAddress;
        case 0x3004:
            return &ContactRecord::comment;
        case 0x3A06:
            return &ContactRecord::givenName;
        default:
            return (id >= kDenseFirst && id <= kDenseLast) ? kDenseFields[id - kDenseFirst]
                                                           : nullptr;
    }
}

}  // namespace

int BuildContactRecord(const SPropValue* props, ULONG count, ContactRecord& record,
                       EmailList& otherEmails) {
    record = ContactRecord{};
    if (props == nullptr) {
        return 1;
    }
    for (ULONG i = 0; i < count; ++i) {
        const SPropValue& prop = props[i];
        const ULONG id = PROP_ID(prop.ulPropTag);
        const ULONG type = PROP_TYPE(prop.ulPropTag);
        // A value is read only through the member its type names, so a value
        // of another type under a known id cannot be misread as a pointer.
        if (id == kBirthdayId) {
            if (type == PT_SYSTIME) {
                record.birthday = prop.Value.ft;
            }
        } else if (id == kOtherEmailsId) {
            if (type == PT_MV_STRING8 && prop.Value.MVszA.lppszA != nullptr) {
                for (ULONG v = 0; v < prop.Value.MVszA.cValues; ++v) {
                    otherEmails.AddHead(prop.Value.MVszA.lppszA[v]);
                }
            }
        } else if (const StringField field = FieldOf(id); field != nullptr && type == PT_STRING8) {
            record.*field = prop.Value.lpszA;
        }
    }
    return 1;
}
