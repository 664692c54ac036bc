#include "core/BirthdayText.h"

#include "platform/LocalDate.h"

#include <cstdio>

bool FormatVCardBirthday(const FILETIME& birthday, BirthdayText& out) {
    const auto date = FileTimeToLocalDate(birthday.dwLowDateTime, birthday.dwHighDateTime);
    if (!date) {
        return false;
    }
    std::snprintf(out.text, sizeof out.text, "%4d%02d%02d", date->year, date->month, date->day);
    return true;
}

bool FormatCsvBirthday(const FILETIME& birthday, BirthdayText& out) {
    const auto date = FileTimeToLocalDate(birthday.dwLowDateTime, birthday.dwHighDateTime);
    if (!date) {
        return false;
    }
    std::snprintf(out.text, sizeof out.text, "%d/%d/%d", date->day, date->month, date->year);
    return true;
}
