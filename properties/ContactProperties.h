// The one table of the contact properties a book may hold: each tag with the
// record field it fills, the label people see and what kind of value it is.
// The writers, the vCard reader, the details window, quorvel-book and the
// tests all read it.
#pragma once

#include "properties/ContactRecord.h"
#include "properties/PropertyTags.h"

// What a property's value is to the person, for saying what an export has no
// place for.
enum class ValueKind : unsigned char {
    Bookkeeping,  // the book's own: ids, keys and types, never counted
    Name,
    Email,
    Date,
    Organisation,
    Phone,
    Address,
    WebPage,
    Note,
    Other,
};

// Which address a property is part of: the parts of one address are one value.
enum class AddressOf : unsigned char { None, Home, Business, Other };

using StringField = const char* ContactRecord::*;

struct ContactProperty {
    ULONG tag;
    const char* label;
    ValueKind kind;
    StringField field = nullptr;  // the record field it fills; null for none
    AddressOf address = AddressOf::None;
};

inline constexpr ContactProperty kContactProperties[] = {
    // The record's fields, in the record's order.
    {PR_GIVEN_NAME, "Given name", ValueKind::Name, &ContactRecord::givenName},
    {PR_MIDDLE_NAME, "Middle name", ValueKind::Name, &ContactRecord::middleName},
    {PR_SURNAME, "Surname", ValueKind::Name, &ContactRecord::surname},
    {PR_DISPLAY_NAME_A, "Display name", ValueKind::Name, &ContactRecord::displayName},
    {PR_EMAIL_ADDRESS, "E-mail address", ValueKind::Email, &ContactRecord::emailAddress},
    {PR_BIRTHDAY, "Birthday", ValueKind::Date},
    {PR_COMPANY_NAME, "Company", ValueKind::Organisation, &ContactRecord::companyName},
    {PR_BUSINESS_ADDRESS_STREET, "Business street", ValueKind::Address,
     &ContactRecord::businessStreet, AddressOf::Business},
    {PR_BUSINESS_ADDRESS_CITY, "Business city", ValueKind::Address, &ContactRecord::businessCity,
     AddressOf::Business},
    {PR_BUSINESS_ADDRESS_STATE_OR_PROVINCE, "Business state or province", ValueKind::Address,
     &ContactRecord::businessState, AddressOf::Business},
    {PR_BUSINESS_ADDRESS_POSTAL_CODE, "Business postal code", ValueKind::Address,
     &ContactRecord::businessPostalCode, AddressOf::Business},
    {PR_BUSINESS_ADDRESS_COUNTRY, "Business country", ValueKind::Address,
     &ContactRecord::businessCountry, AddressOf::Business},
    {PR_TITLE, "Job title", ValueKind::Organisation, &ContactRecord::title},
    {PR_DEPARTMENT_NAME, "Department", ValueKind::Organisation, &ContactRecord::departmentName},
    {PR_OFFICE_LOCATION, "Office", ValueKind::Organisation, &ContactRecord::officeLocation},
    {PR_BUSINESS_TELEPHONE_NUMBER, "Business phone", ValueKind::Phone,
     &ContactRecord::businessPhone},
    {PR_BUSINESS_FAX_NUMBER, "Business fax", ValueKind::Phone, &ContactRecord::businessFax},
    {PR_PAGER_TELEPHONE_NUMBER, "Pager", ValueKind::Phone, &ContactRecord::pagerPhone},
    {PR_BUSINESS_HOME_PAGE, "Business web page", ValueKind::WebPage,
     &ContactRecord::businessHomePage},
    {PR_HOME_ADDRESS_STREET, "Home street", ValueKind::Address, &ContactRecord::homeStreet,
     AddressOf::Home},
    {PR_HOME_ADDRESS_CITY, "Home city", ValueKind::Address, &ContactRecord::homeCity,
     AddressOf::Home},
    {PR_HOME_ADDRESS_STATE_OR_PROVINCE, "Home state or province", ValueKind::Address,
     &ContactRecord::homeState, AddressOf::Home},
    {PR_HOME_ADDRESS_POSTAL_CODE, "Home postal code", ValueKind::Address,
     &ContactRecord::homePostalCode, AddressOf::Home},
    {PR_HOME_ADDRESS_COUNTRY, "Home country", ValueKind::Address, &ContactRecord::homeCountry,
     AddressOf::Home},
    {PR_HOME_TELEPHONE_NUMBER, "Home phone", ValueKind::Phone, &ContactRecord::homePhone},
    {PR_HOME_FAX_NUMBER, "Home fax", ValueKind::Phone, &ContactRecord::homeFax},
    {PR_MOBILE_TELEPHONE_NUMBER, "Mobile phone", ValueKind::Phone, &ContactRecord::mobilePhone},
    {PR_PERSONAL_HOME_PAGE, "Personal web page", ValueKind::WebPage,
     &ContactRecord::personalHomePage},
    {PR_COMMENT, "Notes", ValueKind::Note, &ContactRecord::comment},
    {PR_CONTACT_EMAIL_ADDRESSES, "E-mail addresses", ValueKind::Email},

    // Values the book keeps that the record has no field for.
    {PR_DISPLAY_NAME_PREFIX, "Name prefix", ValueKind::Name},
    {PR_GENERATION, "Name suffix", ValueKind::Name},
    {PR_NICKNAME, "Nickname", ValueKind::Name},
    {PR_INITIALS, "Initials", ValueKind::Name},
    {PR_WEDDING_ANNIVERSARY, "Anniversary", ValueKind::Date},
    {PR_PROFESSION, "Profession", ValueKind::Organisation},
    {PR_MANAGER_NAME, "Manager", ValueKind::Organisation},
    {PR_ASSISTANT, "Assistant", ValueKind::Organisation},
    {PR_SPOUSE_NAME, "Spouse", ValueKind::Other},
    {PR_BUSINESS2_TELEPHONE_NUMBER, "Second business phone", ValueKind::Phone},
    {PR_HOME2_TELEPHONE_NUMBER, "Second home phone", ValueKind::Phone},
    {PR_CAR_TELEPHONE_NUMBER, "Car phone", ValueKind::Phone},
    {PR_OTHER_TELEPHONE_NUMBER, "Other phone", ValueKind::Phone},
    {PR_COMPANY_MAIN_PHONE_NUMBER, "Company phone", ValueKind::Phone},
    {PR_ISDN_NUMBER, "ISDN", ValueKind::Phone},
    {PR_TTYTDD_PHONE_NUMBER, "Text phone", ValueKind::Phone},
    {PR_PRIMARY_FAX_NUMBER, "Other fax", ValueKind::Phone},
    {PR_BUSINESS_ADDRESS_POST_OFFICE_BOX, "Business post office box", ValueKind::Address, nullptr,
     AddressOf::Business},
    {PR_HOME_ADDRESS_POST_OFFICE_BOX, "Home post office box", ValueKind::Address, nullptr,
     AddressOf::Home},
    {PR_OTHER_ADDRESS_STREET, "Other street", ValueKind::Address, nullptr, AddressOf::Other},
    {PR_OTHER_ADDRESS_POST_OFFICE_BOX, "Other post office box", ValueKind::Address, nullptr,
     AddressOf::Other},
    {PR_OTHER_ADDRESS_CITY, "Other city", ValueKind::Address, nullptr, AddressOf::Other},
    {PR_OTHER_ADDRESS_STATE_OR_PROVINCE, "Other state or province", ValueKind::Address, nullptr,
     AddressOf::Other},
    {PR_OTHER_ADDRESS_POSTAL_CODE, "Other postal code", ValueKind::Address, nullptr,
     AddressOf::Other},
    {PR_OTHER_ADDRESS_COUNTRY, "Other country", ValueKind::Address, nullptr, AddressOf::Other},
    {PR_MORE_TELEPHONE_NUMBERS, "More phones", ValueKind::Phone},
    {PR_MORE_ADDRESSES, "More addresses", ValueKind::Address},
    {PR_MORE_HOME_PAGES, "More web pages", ValueKind::WebPage},
    {PR_MORE_VALUES, "More values", ValueKind::Other},

    // The book's bookkeeping.
    {PR_ENTRYID, "Entry id", ValueKind::Bookkeeping},
    {PR_OBJECT_TYPE, "Object type", ValueKind::Bookkeeping},
    {PR_RECORD_KEY, "Record key", ValueKind::Bookkeeping},
    {PR_ADDRTYPE, "Address type", ValueKind::Bookkeeping},
    {PR_SEARCH_KEY, "Search key", ValueKind::Bookkeeping},
    {PR_DISPLAY_TYPE, "Display type", ValueKind::Bookkeeping},
    {PR_TEMPLATEID, "Template id", ValueKind::Bookkeeping},
};

// The table's entry for the property id of tag (its type is not compared);
// null for an id the table does not hold.
constexpr const ContactProperty* FindContactProperty(ULONG tag) {
    for (const ContactProperty& property : kContactProperties) {
        if (PROP_ID(property.tag) == PROP_ID(tag)) {
            return &property;
        }
    }
    return nullptr;
}
