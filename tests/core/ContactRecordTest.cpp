#include "core/ContactRecord.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testing_support::PropArray;

namespace {

using StringField = const char* ContactRecord::*;

struct Mapping {
    ULONG id;
    StringField field;
    const char* name;
};

const Mapping kStringMappings[] = {
    {0x3A06, &ContactRecord::givenName, "givenName"},
    {0x3A44, &ContactRecord::middleName, "middleName"},
    {0x3A11, &ContactRecord::surname, "surname"},
    {0x3001, &ContactRecord::displayName, "displayName"},
    {0x3003, &ContactRecord::emailAddress, "emailAddress"},
    {0x3A16, &ContactRecord::companyName, "companyName"},
    {0x3A29, &ContactRecord::businessStreet, "businessStreet"},
    {0x3A27, &ContactRecord::businessCity, "businessCity"},
    {0x3A28, &ContactRecord::businessState, "businessState"},
    {0x3A2A, &ContactRecord::businessPostalCode, "businessPostalCode"},
    {0x3A26, &ContactRecord::businessCountry, "businessCountry"},
    {0x3A17, &ContactRecord::title, "title"},
    {0x3A18, &ContactRecord::departmentName, "departmentName"},
    {0x3A19, &ContactRecord::officeLocation, "officeLocation"},
    {0x3A08, &ContactRecord::businessPhone, "businessPhone"},
    {0x3A24, &ContactRecord::businessFax, "businessFax"},
    {0x3A21, &ContactRecord::pagerPhone, "pagerPhone"},
    {0x3A51, &ContactRecord::businessHomePage, "businessHomePage"},
    {0x3A5D, &ContactRecord::homeStreet, "homeStreet"},
    {0x3A59, &ContactRecord::homeCity, "homeCity"},
    {0x3A5C, &ContactRecord::homeState, "homeState"},
    {0x3A5B, &ContactRecord::homePostalCode, "homePostalCode"},
    {0x3A5A, &ContactRecord::homeCountry, "homeCountry"},
    {0x3A09, &ContactRecord::homePhone, "homePhone"},
    {0x3A25, &ContactRecord::homeFax, "homeFax"},
    {0x3A1C, &ContactRecord::mobilePhone, "mobilePhone"},
    {0x3A50, &ContactRecord::personalHomePage, "personalHomePage"},
    {0x3004, &ContactRecord::comment, "comment"},
};

// Names of the string fields that are set.
std::vector<std::string> SetFields(const ContactRecord& record) {
    std::vector<std::string> names;
    for (const Mapping& m : kStringMappings) {
        if (record.*(m.field) != nullptr) {
            names.emplace_back(m.name);
        }
    }
    return names;
}

ContactRecord Build(const PropArray& props, EmailList& list) {
    ContactRecord record;
    EXPECT_EQ(BuildContactRecord(props.data(), props.size(), record, list), 1);
    return record;
}

std::vector<std::string> Drain(EmailList& list) {
    std::vector<std::string> entries;
    while (!list.IsEmpty()) {
        const char* entry = list.RemoveHead();
        entries.emplace_back(entry != nullptr ? entry : "<null>");
    }
    return entries;
}

}  // namespace

TEST(ContactRecordTest, OtherEmailsAreAddedAtTheHeadInPropertyOrder) {
    struct Case {
        std::initializer_list<const char*> values;
        std::vector<std::string> fromHead;
    };
    const Case cases[] = {
        {{"a", "b", "c"}, {"c", "b", "a"}},
        {{}, {}},
        {{"x", nullptr, "x"}, {"x", "<null>", "x"}},
        {{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"},
         {"11", "10", "9", "8", "7", "6", "5", "4", "3", "2", "1"}},
    };
    for (const Case& c : cases) {
        PropArray props;
        props.Multi(PR_CONTACT_EMAIL_ADDRESSES, c.values);
        EmailList list;
        Build(props, list);
        EXPECT_EQ(Drain(list), c.fromHead);
    }
}

TEST(ContactRecordTest, LaterValueWinsAndUnknownIdsChangeNothing) {
    PropArray props;
    props.Str(0x3001001E, "first")
        .Str(0x3A07001E, "ignored")
        .Str(0x3A0A001E, "ignored")
        .Str(0x3A5E001E, "ignored")
        .Str(0x3002001E, "ignored")
        .Str(0x3A05001E, "ignored")
        .Str(0x0FFF001E, "ignored")
        .Str(0xFFFF001E, "ignored")
        .Str(0x3001001E, "second");
    EmailList list;
    const ContactRecord record = Build(props, list);
    EXPECT_EQ(SetFields(record), std::vector<std::string>{"displayName"});
    EXPECT_STREQ(record.displayName, "second");
}

TEST(ContactRecordTest, ValuesOfAnotherTypeUnderAKnownIdAreIgnored) {
    PropArray props;
    props
        .Long(0x3A060003, 7)                        // givenName as an integer
        .Time(0x30010040, FILETIME{5, 5})           // displayName as a time
        .Str(0x3A42001E, "not a time")              // birthday as a string
        .Str(0x3A56001E, "not a list")              // e-mail list as one string
        .Long(0x3A56101F, 3)                        // e-mail list of another type
        .Multi(0x3A11101E, {"surname as a list"});  // surname as a list
    EmailList list;
    const ContactRecord record = Build(props, list);
    EXPECT_TRUE(SetFields(record).empty());
    EXPECT_FALSE(record.HasBirthday());
    EXPECT_TRUE(list.IsEmpty());
}

TEST(ContactRecordTest, NullStringsCountAsAbsent) {
    PropArray props;
    props.Str(0x3A06001E, "given").NullStr(0x3A06001E).NullStr(0x3004001E);
    SPropValue nullList{};
    nullList.ulPropTag = PR_CONTACT_EMAIL_ADDRESSES;
    nullList.Value.MVszA.cValues = 1000000;
    nullList.Value.MVszA.lppszA = nullptr;
    EmailList list;
    ContactRecord record = Build(props, list);
    EXPECT_TRUE(SetFields(record).empty());
    EXPECT_EQ(BuildContactRecord(&nullList, 1, record, list), 1);
    EXPECT_TRUE(list.IsEmpty());
}
