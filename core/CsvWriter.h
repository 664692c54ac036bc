#pragma once

#include "core/BirthdayText.h"
#include "core/ContactTypes.h"
#include "platform/OutputFile.h"

// The header line: twelve column names and "\n".
void WriteCsvHeader(OutputFile& file);

// One row of twelve fields for the contact; drains otherEmails.
void WriteCsvRow(OutputFile& file, const ContactRecord& record, EmailList& otherEmails);

// The record fields WriteCsvRow writes, column by column, and its birthday.
// A row has no column for the given, middle and surname or the home fax.
inline constexpr StringField kCsvFields[] = {
    // Name, Hm Addr, Hm, Mob
    &ContactRecord::displayName, &ContactRecord::homeStreet, &ContactRecord::homeCity,
    &ContactRecord::homeState, &ContactRecord::homePostalCode, &ContactRecord::homeCountry,
    &ContactRecord::homePhone, &ContactRecord::mobilePhone,
    // Wk Info, Wk, Page, FAX
    &ContactRecord::companyName, &ContactRecord::title, &ContactRecord::departmentName,
    &ContactRecord::officeLocation, &ContactRecord::businessStreet, &ContactRecord::businessCity,
    &ContactRecord::businessState, &ContactRecord::businessPostalCode,
    &ContactRecord::businessCountry, &ContactRecord::businessPhone, &ContactRecord::pagerPhone,
    &ContactRecord::businessFax,
    // EMail, URLs, Note
    &ContactRecord::emailAddress, &ContactRecord::personalHomePage,
    &ContactRecord::businessHomePage, &ContactRecord::comment};
inline constexpr FormatPlaces kCsvPlaces = MakeFormatPlaces("CSV", kCsvFields, FormatCsvBirthday);
