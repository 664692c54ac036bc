#include "core/ContactRecord.h"
#include "core/CsvWriter.h"
#include "platform/TextFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::FileTimeOf;
using testing_support::PropArray;
using testing_support::ReadFile;
using testing_support::RecordingFile;
using testing_support::SetTimeZone;
using testing_support::TempDir;
using testing_support::UtcFileTime;

namespace {

using namespace testing_support::tags;

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

TEST(CsvWriterTest, WorkedExampleComesOutByteForByteThroughTheTextFile) {
    SetTimeZone("UTC0");
    PropArray props(kDisplay, "Jo Sample", kHomeStreet, "1 Mill Lane", kHomeCity, "Riverton",
                    kHomePostal, "RT1 2AB", kHomeCountry, "Freeland", kHomePhone, "11 22 33",
                    kCompany, "Acme", kTitle, "Buyer", kBusStreet, "2 Dock Road", kBusCity,
                    "Portville", kBusPhone, "44 55 66", kEmail, "mail-1", kBusPage, "page-b",
                    kComment, "Met at fair\r\nCall back\r\n");
    props.Time(kBirthday, UtcFileTime(1970, 3, 5, 9))
        .Multi(PR_CONTACT_EMAIL_ADDRESSES, {"mail-1", "mail-2", "mail-3"});
    ContactRecord record;
    EmailList list;
    BuildContactRecord(props.data(), props.size(), record, list);
    TempDir dir;
    const std::string path = dir.File("contacts.csv");
    TextFile file;
    ASSERT_TRUE(file.Open(path));
    WriteCsvHeader(file);
    WriteCsvRow(file, record, list);
    file.Close();
    EXPECT_EQ(ReadFile(path),
              "Name,Birthday,Hm Addr,Hm,Mob,Wk Info,Wk,Page,FAX,EMail,URLs,Note\r\n"
              "\"Jo Sample\",\"5/3/1970\",\"1 Mill Lane\x06Riverton\x06RT1 2AB\x06"
              "Freeland\",\"11 22 33\",\"\",\"Acme\x06"
              "Buyer\x06"
              "2 Dock Road\x06"
              "Portville\",\"44 55 66\",\"\",\"\",\"mail-1\x06mail-3\x06mail-2\","
              "\"page-b\",\"Met at fair\x06"
              "Call back\"\r\n");
    EXPECT_TRUE(list.IsEmpty());
}

TEST(CsvWriterTest, FieldsJoinPresentValuesAndEscapeNothing) {
    SetTimeZone("UTC0");
    struct Case {
        const char* name;
        PropArray props;
        std::string row;
    };
    Case cases[] = {
        {"display name only", PropArray().Str(kDisplay, "A"),
         "\"A\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"nothing at all", PropArray(),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"names and home fax have no column",
         PropArray(kGiven, "g", kMiddle, "m", kSurname, "s", kHomeFax, "f"),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"quote is not doubled", PropArray().Str(kDisplay, "a\"b,c"),
         "\"a\"b,c\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"single-digit date unpadded", PropArray().Time(kBirthday, UtcFileTime(2000, 1, 1, 12)),
         "\"\",\"1/1/2000\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"two-digit date", PropArray().Time(kBirthday, UtcFileTime(1999, 12, 25, 12)),
         "\"\",\"25/12/1999\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"birthday without a calendar date is written as absent",
         PropArray().Time(kBirthday, FileTimeOf(0xFFFFFFFFFFFFFFFFULL)),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"note: inner break marked, trailing dropped", PropArray().Str(kComment, "one\r\ntwo\r\n"),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"one\x06two\"\n"},
        {"empty street still separates", PropArray(kHomeStreet, "", kHomeCity, "X"),
         "\"\",,\"\x06X\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"country alone has no marker", PropArray().Str(kHomeCountry, "C"),
         "\"\",,\"C\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"home address order",
         PropArray(kHomeCountry, "k", kHomePostal, "j", kHomeState, "i", kHomeCity, "h",
                   kHomeStreet, "g"),
         "\"\",,\"g\x06h\x06i\x06j\x06k\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
        {"work info order",
         PropArray(kBusCountry, "o", kBusPostal, "n", kBusState, "m", kBusCity, "l", kBusStreet,
                   "k", kOffice, "j", kDepartment, "i", kTitle, "h", kCompany, "g"),
         "\"\",,\"\",\"\",\"\",\"g\x06h\x06i\x06j\x06k\x06l\x06m\x06n\x06o\",\"\",\"\",\"\",\"\","
         "\"\",\"\"\n"},
        {"single fields in order",
         PropArray(kBusFax, "F", kPager, "P", kBusPhone, "W", kMobile, "M", kHomePhone, "H"),
         "\"\",,\"\",\"H\",\"M\",\"\",\"W\",\"P\",\"F\",\"\",\"\",\"\"\n"},
        {"no default email: no leading marker",
         PropArray().Multi(PR_CONTACT_EMAIL_ADDRESSES, {"p", "q"}),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"q\x06p\",\"\",\"\"\n"},
        {"email comparison is case-sensitive",
         PropArray().Str(kEmail, "z").Multi(PR_CONTACT_EMAIL_ADDRESSES, {"z", "Z"}),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"z\x06Z\",\"\",\"\"\n"},
        {"repeated other email written twice",
         PropArray().Str(kEmail, "x").Multi(PR_CONTACT_EMAIL_ADDRESSES, {"y", nullptr, "y"}),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"x\x06y\x06y\",\"\",\"\"\n"},
        {"default email alone", PropArray().Str(kEmail, "only"),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"only\",\"\",\"\"\n"},
        {"both pages", PropArray(kBusPage, "q", kPersonalPage, "p"),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"p\x06q\",\"\"\n"},
        {"business page alone", PropArray().Str(kBusPage, "b"),
         "\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"b\",\"\"\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Row(c.props), c.row) << c.name;
    }
}
