#include "core/ContactRecord.h"

#include "properties/ContactProperties.h"

#include <array>
#include <cstddef>

namespace {

// String fields by property id, for one range of ids; null: not mapped.
template <ULONG First, std::size_t Size>
constexpr std::array<StringField, Size> FieldsOfRange() {
    std::array<StringField, Size> fields{};
    for (const ContactProperty& property : kContactProperties) {
        const ULONG id = PROP_ID(property.tag);
        if (property.field != nullptr && id >= First && id < First + Size) {
            fields[id - First] = property.field;
        }
    }
    return fields;
}

// The record's string fields lie in these two ranges of ids (checked below).
constexpr ULONG kFirstNameId = 0x3000;
constexpr ULONG kFirstContactId = 0x3A00;
constexpr auto kNameFields = FieldsOfRange<kFirstNameId, 0x10>();
constexpr auto kContactFields = FieldsOfRange<kFirstContactId, 0x80>();

constexpr std::size_t MappedCount() {
    std::size_t count = 0;
    for (const ContactProperty& property : kContactProperties) {
        count += property.field != nullptr ? 1 : 0;
    }
    return count;
}
constexpr std::size_t RangeCount() {
    std::size_t count = 0;
    for (StringField field : kNameFields) {
        count += field != nullptr ? 1 : 0;
    }
    for (StringField field : kContactFields) {
        count += field != nullptr ? 1 : 0;
    }
    return count;
}
static_assert(MappedCount() == RangeCount(), "a record field's id lies outside both ranges");

StringField FieldOf(ULONG id) {
    if (id - kFirstContactId < kContactFields.size()) {
        return kContactFields[id - kFirstContactId];
    }
    if (id - kFirstNameId < kNameFields.size()) {
        return kNameFields[id - kFirstNameId];
    }
    return nullptr;
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
        if (id == PROP_ID(PR_BIRTHDAY)) {
            if (type == PT_SYSTIME) {
                record.birthday = prop.Value.ft;
            }
        } else if (id == PROP_ID(PR_CONTACT_EMAIL_ADDRESSES)) {
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
