#include "core/VCardWriter.h"
#include "core/ValueEncoding.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::FileTimeOf;
using testing_support::PropArray;
using testing_support::RecordingFile;
using testing_support::SetTimeZone;
using testing_support::UtcFileTime;

namespace {

std::string Block(const std::string& body) {
    return "BEGIN:VCARD\nVERSION:2.1\n" + body + "END:VCARD\n";
}

std::string Write(const PropArray& props) {
    RecordingFile file;
    WriteVCard(file, props.data(), props.size());
    return file.text();
}

}  // namespace

TEST(VCardWriterTest, WorkedExampleComesOutByteForByte) {
    SetTimeZone("UTC0");
    PropArray props(PR_GIVEN_NAME, "Given", PR_SURNAME, "Family", PR_DISPLAY_NAME_A, "Given Family",
                    PR_COMPANY_NAME, "Firm", PR_TITLE, "Head of\r\nSales", PR_COMMENT,
                    "Line one\r\nLine two = ok\r\n", PR_HOME_TELEPHONE_NUMBER, "555 0100",
                    PR_HOME_ADDRESS_STREET, "1 Mill Lane\r\nFlat 2", PR_HOME_ADDRESS_CITY, "Easton",
                    PR_EMAIL_ADDRESS, "addr-1");
    props.Time(PR_BIRTHDAY, UtcFileTime(1970, 3, 7, 12))
        .Multi(PR_CONTACT_EMAIL_ADDRESSES, {"addr-1", "addr-2", "addr-3"});
    EXPECT_EQ(Write(props),
              "BEGIN:VCARD\n"
              "VERSION:2.1\n"
              "N:Family;Given;;;\n"
              "FN:Given Family\n"
              "BDAY:19700307\n"
              "ORG:Firm;\n"
              "TITLE:Head of\x06Sales\n"
              "NOTE;ENCODING=QUOTED-PRINTABLE:Line one=0D=0ALine two = ok\n"
              "TEL;HOME:555 0100\n"
              "ADR;HOME;ENCODING=QUOTED-PRINTABLE:;;1 Mill Lane=0D=0AFlat 2;Easton;;;\n"
              "EMAIL;INTERNET:addr-3\n"
              "EMAIL;INTERNET:addr-2\n"
              "EMAIL;PREF;INTERNET:addr-1\n"
              "END:VCARD\n");
}

TEST(VCardWriterTest, WritesEachLineOnlyWhenItsFieldsArePresent) {
    SetTimeZone("UTC0");
    struct Case {
        const char* name;
        PropArray props;
        std::string body;
    };
    Case cases[] = {
        {"no properties", PropArray(), "N:;;;;\n"},
        {"display name only", PropArray().Str(PR_DISPLAY_NAME_A, "Desk"), "N:;Desk;;;\nFN:Desk\n"},
        {"middle name only", PropArray().Str(PR_MIDDLE_NAME, "M"), "N:;M;;;\n"},
        {"surname only", PropArray().Str(PR_SURNAME, "Family"), "N:Family;;;;\n"},
        {"given and middle", PropArray(PR_GIVEN_NAME, "Given", PR_MIDDLE_NAME, "M"),
         "N:;Given;M;;\n"},
        {"all three names win over display",
         PropArray(PR_DISPLAY_NAME_A, "D", PR_MIDDLE_NAME, "M", PR_GIVEN_NAME, "G", PR_SURNAME,
                   "S"),
         "N:S;G;M;;\nFN:D\n"},
        {"middle name wins over display", PropArray(PR_DISPLAY_NAME_A, "D", PR_MIDDLE_NAME, "M"),
         "N:;M;;;\nFN:D\n"},
        {"empty display name is present", PropArray().Str(PR_DISPLAY_NAME_A, ""), "N:;;;;\nFN:\n"},
        {"department only", PropArray().Str(PR_DEPARTMENT_NAME, "Ops"), "N:;;;;\nORG:;Ops\n"},
        {"company only", PropArray().Str(PR_COMPANY_NAME, "Firm"), "N:;;;;\nORG:Firm;\n"},
        {"business country only", PropArray().Str(PR_BUSINESS_ADDRESS_COUNTRY, "X"),
         "N:;;;;\nADR;WORK;ENCODING=QUOTED-PRINTABLE:;;;;;;X\n"},
        {"office location only", PropArray().Str(PR_OFFICE_LOCATION, "B2"),
         "N:;;;;\nADR;WORK;ENCODING=QUOTED-PRINTABLE:;B2;;;;;\n"},
        {"every business address part",
         PropArray(PR_BUSINESS_ADDRESS_COUNTRY, "C", PR_BUSINESS_ADDRESS_POSTAL_CODE, "P",
                   PR_BUSINESS_ADDRESS_STATE_OR_PROVINCE, "S", PR_BUSINESS_ADDRESS_CITY, "Y",
                   PR_BUSINESS_ADDRESS_STREET, "T", PR_OFFICE_LOCATION, "O"),
         "N:;;;;\nADR;WORK;ENCODING=QUOTED-PRINTABLE:;O;T;Y;S;P;C\n"},
        {"every home address part",
         PropArray(PR_HOME_ADDRESS_COUNTRY, "C", PR_HOME_ADDRESS_POSTAL_CODE, "P",
                   PR_HOME_ADDRESS_STATE_OR_PROVINCE, "S", PR_HOME_ADDRESS_CITY, "Y",
                   PR_HOME_ADDRESS_STREET, "T"),
         "N:;;;;\nADR;HOME;ENCODING=QUOTED-PRINTABLE:;;T;Y;S;P;C\n"},
        {"empty title", PropArray().Str(PR_TITLE, ""), "N:;;;;\nTITLE:\n"},
        {"nothing is escaped", PropArray().Str(PR_TITLE, "a;b,c:d\\e=F"),
         "N:;;;;\nTITLE:a;b,c:d\\e=F\n"},
        {"phones in fixed order",
         PropArray(PR_HOME_FAX_NUMBER, "6", PR_BUSINESS_FAX_NUMBER, "5", PR_PAGER_TELEPHONE_NUMBER,
                   "4", PR_MOBILE_TELEPHONE_NUMBER, "3", PR_HOME_TELEPHONE_NUMBER, "2",
                   PR_BUSINESS_TELEPHONE_NUMBER, "1"),
         "N:;;;;\nTEL;WORK;VOICE:1\nTEL;HOME:2\nTEL;HOME;CELL:3\nTEL;PAGER;WORK:4\n"
         "TEL;WORK;FAX:5\nTEL;HOME;FAX:6\n"},
        {"personal page before business page",
         PropArray(PR_BUSINESS_HOME_PAGE, "b", PR_PERSONAL_HOME_PAGE, "p"),
         "N:;;;;\nURL:p\nURL:b\n"},
        {"other emails last-to-first, default dropped",
         PropArray()
             .Str(PR_EMAIL_ADDRESS, "addr-1")
             .Multi(PR_CONTACT_EMAIL_ADDRESSES, {"addr-1", "addr-2", "addr-3"}),
         "N:;;;;\nEMAIL;INTERNET:addr-3\nEMAIL;INTERNET:addr-2\nEMAIL;PREF;INTERNET:addr-1\n"},
        {"more other emails than the list keeps inline",
         PropArray().Multi(PR_CONTACT_EMAIL_ADDRESSES,
                           {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}),
         "N:;;;;\nEMAIL;INTERNET:10\nEMAIL;INTERNET:9\nEMAIL;INTERNET:8\nEMAIL;INTERNET:7\n"
         "EMAIL;INTERNET:6\nEMAIL;INTERNET:5\nEMAIL;INTERNET:4\nEMAIL;INTERNET:3\n"
         "EMAIL;INTERNET:2\nEMAIL;INTERNET:1\n"},
        {"no default email", PropArray().Multi(PR_CONTACT_EMAIL_ADDRESSES, {"x", "y"}),
         "N:;;;;\nEMAIL;INTERNET:y\nEMAIL;INTERNET:x\n"},
        {"case matters, duplicates kept, null skipped",
         PropArray()
             .Str(PR_EMAIL_ADDRESS, "a")
             .Multi(PR_CONTACT_EMAIL_ADDRESSES, {"A", "b", nullptr, "b", "a"}),
         "N:;;;;\nEMAIL;INTERNET:b\nEMAIL;INTERNET:b\nEMAIL;INTERNET:A\nEMAIL;PREF;INTERNET:a\n"},
        {"birthday with a zero low half",
         PropArray().Time(PR_BIRTHDAY, FileTimeOf(0x01B1000000000000)), "N:;;;;\nBDAY:19870322\n"},
        {"zero birthday is absent", PropArray().Time(PR_BIRTHDAY, FILETIME{0, 0}), "N:;;;;\n"},
        {"birthday without a calendar date is left out",
         PropArray().Time(PR_BIRTHDAY, FileTimeOf(0x8000000000000001ULL)).Str(PR_TITLE, "t"),
         "N:;;;;\nTITLE:t\n"},
        {"birthday past 9999 is left out",
         PropArray().Time(PR_BIRTHDAY, FileTimeOf(0x7FFFFFFFFFFFFFFF)), "N:;;;;\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Write(c.props), Block(c.body)) << c.name;
        EXPECT_FALSE(quotedPrintableMode) << c.name;
    }
}

TEST(VCardWriterTest, QuotedPrintableOnlyOnNoteAndAddressLines) {
    PropArray props;
    const std::string broken = "a\r\nb\nc";
    for (ULONG tag :
         {PR_DISPLAY_NAME_A, PR_TITLE, PR_COMMENT, PR_HOME_TELEPHONE_NUMBER, PR_OFFICE_LOCATION,
          PR_HOME_ADDRESS_STREET, PR_PERSONAL_HOME_PAGE, PR_EMAIL_ADDRESS}) {
        props.Str(tag, broken);
    }
    const std::string plain =
        "a\x06"
        "b\nc";
    const std::string quoted = "a=0D=0Ab=0D=0Ac";
    EXPECT_EQ(Write(props), Block("N:;" + plain + ";;;\nFN:" + plain + "\nTITLE:" + plain +
                                  "\nNOTE;ENCODING=QUOTED-PRINTABLE:" + quoted +
                                  "\nTEL;HOME:" + plain + "\nADR;WORK;ENCODING=QUOTED-PRINTABLE:;" +
                                  quoted + ";;;;;\nADR;HOME;ENCODING=QUOTED-PRINTABLE:;;" + quoted +
                                  ";;;;\nURL:" + plain + "\nEMAIL;PREF;INTERNET:" + plain + "\n"));
}

TEST(VCardWriterTest, FailedWriteInsideAQuotedLineLeavesTheModeOff) {
    PropArray props;
    props.Str(PR_COMMENT, "note").Str(PR_HOME_ADDRESS_CITY, "c");
    // The disk full at every byte of the block, the quoted lines among them.
    const std::size_t size = Write(props).size();
    for (std::size_t capacity = 0; capacity < size; ++capacity) {
        RecordingFile file(capacity);
        EXPECT_THROW(WriteVCard(file, props.data(), props.size()), FileError) << capacity;
        EXPECT_FALSE(quotedPrintableMode) << capacity;
    }
}
