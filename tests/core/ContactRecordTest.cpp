// BuildContactRecord, seen through the vCard written from it: every string
// field has its own place there, so a field set by mistake shows.
#include "core/ContactRecord.h"
#include "core/VCardWriter.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::PropArray;
using testing_support::RecordingFile;

TEST(ContactRecordTest, ValuesOfAnotherTypeUnderAKnownIdAreIgnored) {
    struct Case {
        const char* name;
        PropArray props;
        std::string lines;  // between VERSION and END
    };
    Case cases[] = {
        {"the later value wins; ids without a field change nothing",
         PropArray(0x3001001E, "first", 0x3A07001E, "x", 0x3A0A001E, "x", 0x3A5E001E, "x",
                   0x3002001E, "x", 0x3A05001E, "x", 0x0FFF001E, "x", 0xFFFF001E, "x", 0x2FFF001E,
                   "x", 0x3010001E, "x", 0x39FF001E, "x", 0x3A80001E, "x", 0x3001001E, "second"),
         "N:;second;;;\nFN:second\n"},
        {"values of another type under a known id",
         PropArray()
             .Long(0x3A060003, 7)                        // givenName as an integer
             .Time(0x30010040, FILETIME{5, 5})           // displayName as a time
             .Str(0x3A42001E, "not a time")              // birthday as a string
             .Str(0x3A56001E, "not a list")              // e-mail list as one string
             .Long(0x3A56101F, 3)                        // e-mail list of another type
             .Multi(0x3A11101E, {"surname as a list"}),  // surname as a list
         "N:;;;;\n"},
        {"null strings are absent",
         PropArray().Str(0x3A06001E, "given").NullStr(0x3A06001E).NullStr(0x3004001E), "N:;;;;\n"},
    };
    for (const Case& c : cases) {
        RecordingFile file;
        WriteVCard(file, c.props.data(), c.props.size());
        EXPECT_EQ(file.text(), "BEGIN:VCARD\nVERSION:2.1\n" + c.lines + "END:VCARD\n") << c.name;
    }
    // A multi-valued property whose array is null, whatever its count.
    SPropValue nullList{};
    nullList.ulPropTag = PR_CONTACT_EMAIL_ADDRESSES;
    nullList.Value.MVszA.cValues = 1000000;
    ContactRecord record;
    EmailList list;
    EXPECT_EQ(BuildContactRecord(&nullList, 1, record, list), 1);
    EXPECT_TRUE(list.IsEmpty());
}
