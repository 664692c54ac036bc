#include "core/BirthdayText.h"

#include "platform/LocalDate.h"

#include <charconv>
#include <cstring>

namespace {

// Appends n in decimal, right-aligned with fill to at least width places.
char* AppendNumber(char* out, char* end, int n, int width, char fill) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, n);
    const int length = static_cast<int>(result.ptr - digits);
    for (int i = length; i < width && out < end; ++i) {
        *out++ = fill;
    }
    const std::size_t copied = static_cast<std::size_t>(length);
    std::memcpy(out, digits, copied);
    return out + copied;
}

}  // namespace

bool FormatVCardBirthday(const FILETIME& birthday, BirthdayText& out) {
    const auto date = FileTimeToLocalDate(birthday.dwLowDateTime, birthday.dwHighDateTime);
    if (!date) {
        return false;
    }
    // "%4d%02d%02d": year, month, day.
    char* p = out.text;
    char* const end = out.text + sizeof out.text;
    p = AppendNumber(p, end, date->year, 4, ' ');
    p = AppendNumber(p, end, date->month, 2, '0');
    p = AppendNumber(p, end, date->day, 2, '0');
    *p = '\0';
    return true;
}

bool FormatCsvBirthday(const FILETIME& birthday, BirthdayText& out) {
    const auto date = FileTimeToLocalDate(birthday.dwLowDateTime, birthday.dwHighDateTime);
    if (!date) {
        return false;
    }
    // "%d/%d/%d": day, month, year.
    char* p = out.text;
    char* const end = out.text + sizeof out.text;
    p = AppendNumber(p, end, date->day, 0, ' ');
    *p++ = '/';
    p = AppendNumber(p, end, date->month, 0, ' ');
    *p++ = '/';
    p = AppendNumber(p, end, date->year, 0, ' ');
    *p = '\0';
    return true;
}
