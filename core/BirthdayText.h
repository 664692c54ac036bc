#pragma once

#include "properties/WabDefs.h"

// The birthday's local calendar date as text, for the vCard BDAY line
// ("%4d%02d%02d": year, month, day) and the CSV Birthday field ("%d/%d/%d":
// day, month, year). False when the value has no calendar date (top bit set,
// or past the year 9999); such a birthday is written as absent.
struct BirthdayText {
    char text[32];
};

bool FormatVCardBirthday(const FILETIME& birthday, BirthdayText& out);
bool FormatCsvBirthday(const FILETIME& birthday, BirthdayText& out);
