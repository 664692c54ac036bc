#pragma once

#include "core/BirthdayText.h"
#include "core/ContactTypes.h"
#include "platform/OutputFile.h"
#include "properties/WabDefs.h"

// Writes one contact, given by its property array, as a vCard 2.1 block from
// "BEGIN:VCARD" to "END:VCARD". Each line ends in "\n".
void WriteVCard(OutputFile& file, const SPropValue* props, ULONG count);

// The record fields WriteVCard writes, line by line, and its birthday: every
// field of the record.
inline constexpr StringField kVCardFields[] = {
    // N, FN, ORG, TITLE, NOTE
    &ContactRecord::surname, &ContactRecord::givenName, &ContactRecord::middleName,
    &ContactRecord::displayName, &ContactRecord::companyName, &ContactRecord::departmentName,
    &ContactRecord::title, &ContactRecord::comment,
    // TEL
    &ContactRecord::businessPhone, &ContactRecord::homePhone, &ContactRecord::mobilePhone,
    &ContactRecord::pagerPhone, &ContactRecord::businessFax, &ContactRecord::homeFax,
    // ADR;WORK, ADR;HOME
    &ContactRecord::officeLocation, &ContactRecord::businessStreet, &ContactRecord::businessCity,
    &ContactRecord::businessState, &ContactRecord::businessPostalCode,
    &ContactRecord::businessCountry, &ContactRecord::homeStreet, &ContactRecord::homeCity,
    &ContactRecord::homeState, &ContactRecord::homePostalCode, &ContactRecord::homeCountry,
    // URL, EMAIL
    &ContactRecord::personalHomePage, &ContactRecord::businessHomePage,
    &ContactRecord::emailAddress};
inline constexpr FormatPlaces kVCardPlaces =
    MakeFormatPlaces("vCard 2.1", kVCardFields, FormatVCardBirthday);
