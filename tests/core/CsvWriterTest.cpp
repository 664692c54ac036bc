#include "core/ContactRecord.h"
#include "core/CsvWriter.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::FileTimeOf;
using testing_support::PropArray;
using testing_support::RecordingFile;
using testing_support::SetTimeZone;
using testing_support::UtcFileTime;

namespace {

std::string Row(const PropArray& props) {
    ContactRecord record;
    EmailList list;
    BuildContactRecord(props.data(), props.size(), record, list);
    RecordingFile file;
    WriteCsvRow(file, record, list);
    EXPECT_TRUE(list.IsEmpty());
    return file.text();
}

}  // namespace

TEST(CsvWriterTest, WorkedExampleComesOutByteForByte) {
    SetTimeZone("UTC0");
    PropArray props(PR_DISPLAY_NAME_A, "Jo Sample", PR_HOME_ADDRESS_STREET, "1 Mill Lane",
                    PR_HOME_ADDRESS_CITY, "Riverton", PR_HOME_ADDRESS_POSTAL_CODE, "RT1 2AB",
                    PR_HOME_ADDRESS_COUNTRY, "Freeland", PR_HOME_TELEPHONE_NUMBER, "11 22 33",
                    PR_COMPANY_NAME, "Acme", PR_TITLE, "Buyer", PR_BUSINESS_ADDRESS_STREET,
                    "2 Dock Road", PR_BUSINESS_ADDRESS_CITY, "Portville",
                    PR_BUSINESS_TELEPHONE_NUMBER, "44 55 66", PR_EMAIL_ADDRESS, "mail-1",
                    PR_BUSINESS_HOME_PAGE, "page-b", PR_COMMENT, "Met at fair\r\nCall back\r\n");
    props.Time(PR_BIRTHDAY, UtcFileTime(1970, 3, 5, 9))
        .Multi(PR_CONTACT_EMAIL_ADDRESSES, {"mail-1", "mail-2", "mail-3"});
    RecordingFile header;
    WriteCsvHeader(header);
    EXPECT_EQ(header.text() + Row(props),
              "Name,Birthday,Hm Addr,Hm,Mob,Wk Info,Wk,Page,FAX,EMail,URLs,Note\n"
              "\"Jo Sample\",\"5/3/1970\",\"1 Mill Lane\x06Riverton\x06RT1 2AB\x06"
              "Freeland\",\"11 22 33\",\"\",\"Acme\x06"
              "Buyer\x06"
              "2 Dock Road\x06"
              "Portville\",\"44 55 66\",\"\",\"\",\"mail-1\x06mail-3\x06mail-2\","
              "\"page-b\",\"Met at fair\x06"
              "Call back\"\n");
}

TEST(CsvWriterTest, FieldsJoinPresentValuesAndEscapeNothing) {
    SetTimeZone("UTC0");
    struct Case {
        const char* name;
        PropArray props;
        std::string row;
    };
    Case cases[] = {
        {"display name only", PropArray().Str(PR_DISPLAY_NAME_A, "A"),
         "\"A\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"nothing at all", PropArray(),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"names and home fax have no column",
         PropArray(PR_GIVEN_NAME, "g", PR_MIDDLE_NAME, "m", PR_SURNAME, "s", PR_HOME_FAX_NUMBER,
                   "f"),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"quote is not doubled", PropArray().Str(PR_DISPLAY_NAME_A, "a\"b,c"),
         "\"a\"b,c\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"single-digit date unpadded", PropArray().Time(PR_BIRTHDAY, UtcFileTime(2000, 1, 1, 12)),
         "\"\",\"1/1/2000\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"two-digit date", PropArray().Time(PR_BIRTHDAY, UtcFileTime(1999, 12, 25, 12)),
         "\"\",\"25/12/1999\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"birthday without a calendar date is written as absent",
         PropArray().Time(PR_BIRTHDAY, FileTimeOf(0xFFFFFFFFFFFFFFFFULL)),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"note: inner break marked, trailing dropped",
         PropArray().Str(PR_COMMENT, "one\r\ntwo\r\n"),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"one\x06two\"\n"},
        {"empty street still separates",
         PropArray(PR_HOME_ADDRESS_STREET, "", PR_HOME_ADDRESS_CITY, "X"),
         "\"\",,\"\x06X\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"country alone has no marker", PropArray().Str(PR_HOME_ADDRESS_COUNTRY, "C"),
         "\"\",,\"C\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"home address order",
         PropArray(PR_HOME_ADDRESS_COUNTRY, "k", PR_HOME_ADDRESS_POSTAL_CODE, "j",
                   PR_HOME_ADDRESS_STATE_OR_PROVINCE, "i", PR_HOME_ADDRESS_CITY, "h",
                   PR_HOME_ADDRESS_STREET, "g"),
         "\"\",,\"g\x06h\x06i\x06j\x06k\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"work info order",
         PropArray(PR_BUSINESS_ADDRESS_COUNTRY, "o", PR_BUSINESS_ADDRESS_POSTAL_CODE, "n",
                   PR_BUSINESS_ADDRESS_STATE_OR_PROVINCE, "m", PR_BUSINESS_ADDRESS_CITY, "l",
                   PR_BUSINESS_ADDRESS_STREET, "k", PR_OFFICE_LOCATION, "j", PR_DEPARTMENT_NAME,
                   "i", PR_TITLE, "h", PR_COMPANY_NAME, "g"),
         "\"\",,\"\",\"\",\"\",\"g\x06h\x06i\x06j\x06k\x06l\x06m\x06n\x06o\",\"\",\"\",\"\",\"\","
         "\"\",\"\"\n"},
        {"single fields in order",
         PropArray(PR_BUSINESS_FAX_NUMBER, "F", PR_PAGER_TELEPHONE_NUMBER, "P",
                   PR_BUSINESS_TELEPHONE_NUMBER, "W", PR_MOBILE_TELEPHONE_NUMBER, "M",
                   PR_HOME_TELEPHONE_NUMBER, "H"),
         "\"\",,\"\",\"H\",\"M\",\"\",\"W\",\"P\",\"F\",\"\",\"\",\"\"\n"},
        {"no default email: no leading marker",
         PropArray().Multi(PR_CONTACT_EMAIL_ADDRESSES, {"p", "q"}),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"q\x06p\",\"\",\"\"\n"},
        {"email comparison is case-sensitive",
         PropArray().Str(PR_EMAIL_ADDRESS, "z").Multi(PR_CONTACT_EMAIL_ADDRESSES, {"z", "Z"}),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"z\x06Z\",\"\",\"\"\n"},
        {"repeated other email written twice",
         PropArray()
             .Str(PR_EMAIL_ADDRESS, "x")
             .Multi(PR_CONTACT_EMAIL_ADDRESSES, {"y", nullptr, "y"}),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"x\x06y\x06y\",\"\",\"\"\n"},
        {"default email alone", PropArray().Str(PR_EMAIL_ADDRESS, "only"),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"only\",\"\",\"\"\n"},
        {"both pages", PropArray(PR_BUSINESS_HOME_PAGE, "q", PR_PERSONAL_HOME_PAGE, "p"),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"p\x06q\",\"\"\n"},
        {"business page alone", PropArray().Str(PR_BUSINESS_HOME_PAGE, "b"),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"b\",\"\"\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Row(c.props), c.row) << c.name;
    }
}
