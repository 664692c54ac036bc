#include "core/ContactRecord.h"
#include "core/CsvWriter.h"
#include "core/LeftOutValues.h"
#include "core/VCardWriter.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testing_support::FileTimeOf;
using testing_support::PropArray;
using testing_support::RecordingFile;
using testing_support::SetTimeZone;
using testing_support::UtcFileTime;

namespace {

struct Format {
    const FormatPlaces& places;
    bool csv;
};
const Format kFormats[] = {{kVCardPlaces, false}, {kCsvPlaces, true}};

std::string Written(const Format& format, const SPropValue* props, ULONG count) {
    RecordingFile file;
    if (format.csv) {
        ContactRecord record;
        EmailList otherEmails;
        BuildContactRecord(props, count, record, otherEmails);
        WriteCsvRow(file, record, otherEmails);
    } else {
        WriteVCard(file, props, count);
    }
    return file.text();
}

// "total summary | label=text ..." of what the format leaves out.
std::string LeftOut(const Format& format, const SPropValue* props, ULONG count) {
    LeftOutCounts counts;
    std::string listed;
    CountLeftOut(format.places, props, count, 3, counts, [&](const LeftOutValue& value) {
        EXPECT_EQ(value.position, 3);
        listed.append(" ").append(value.label).append("=").append(value.text);
    });
    LeftOutCounts unlisted;
    CountLeftOut(format.places, props, count, 3, unlisted, {});
    EXPECT_EQ(unlisted.byKind, counts.byKind);
    EXPECT_STREQ(counts.format, format.places.name);
    return std::to_string(counts.Total()) + " " + DescribeLeftOut(counts) + " |" + listed;
}

}  // namespace

// A contact with every property of the table: the values each format leaves
// out are exactly those whose removal leaves the writer's bytes unchanged.
TEST(LeftOutValuesTest, EveryPropertyOfTheTableIsWrittenOrCounted) {
    SetTimeZone("UTC0");
    PropArray props;
    for (const ContactProperty& property : kContactProperties) {
        switch (PROP_TYPE(property.tag)) {
            case PT_STRING8:
                props.Str(property.tag, property.label);
                break;
            case PT_MV_STRING8:
                props.Multi(property.tag, {property.label, nullptr, "2"});
                break;
            case PT_SYSTIME:
                props.Time(property.tag, UtcFileTime(1970, 3, 7, 12));
                break;
            default:  // read as 7 bytes or the number 7
                props.Long(property.tag, 7);
        }
    }
    const std::string expected[] = {
        "28 10 phones, 5 addresses, 4 name parts, 1 date, 3 work details, 2 web pages, 3 other "
        "values",
        "32 11 phones, 5 addresses, 7 name parts, 1 date, 3 work details, 2 web pages, 3 other "
        "values",
    };
    for (const Format& format : kFormats) {
        const std::string all = Written(format, props.data(), props.size());
        const std::string leftOut = LeftOut(format, props.data(), props.size());
        EXPECT_EQ(leftOut.substr(0, leftOut.find(" |")), expected[format.csv]);
        for (ULONG i = 0; i < props.size(); ++i) {
            std::vector<SPropValue> without(props.data(), props.data() + props.size());
            without.erase(without.begin() + i);
            const ContactProperty& property = kContactProperties[i];
            const std::string listed = std::string(" ").append(property.label).append("=");
            EXPECT_EQ(Written(format, without.data(), props.size() - 1) == all,
                      property.kind == ValueKind::Bookkeeping ||
                          leftOut.find(listed) != std::string::npos)
                << format.places.name << ": " << property.label;
        }
    }
}

TEST(LeftOutValuesTest, MirrorsWhatTheWritersKeep) {
    SetTimeZone("<+14>-14");
    const ULONG custom = PROP_ID(PR_MORE_VALUES) + 1;
    struct Case {
        const char* name;
        PropArray props;
        std::string vcard, csv = "";  // csv empty: as vcard
    };
    const Case cases[] = {
        {"a field's value of another type",
         PropArray().Long(PROP_TAG(PT_LONG, PROP_ID(PR_TITLE)), 5),
         "1 1 work detail | Job title=5"},
        {"a later duplicate replaces a field's value unless equal",
         PropArray(PR_HOME_TELEPHONE_NUMBER, "old", PR_HOME_TELEPHONE_NUMBER, "new",
                   PR_MOBILE_TELEPHONE_NUMBER, "m", PR_MOBILE_TELEPHONE_NUMBER, "m"),
         "1 1 phone | Home phone=old"},
        {"a field without a place: each copy; empty is nothing",
         PropArray(PR_GIVEN_NAME, "g", PR_GIVEN_NAME, "g", PR_HOME_FAX_NUMBER, ""), "0  |",
         "2 2 name parts | Given name=g Given name=g"},
        {"birthdays replaced or without a date; a zero date is nothing",
         PropArray()
             .Time(PR_BIRTHDAY, FileTimeOf(0x8000000000000001))
             .Time(PR_BIRTHDAY, UtcFileTime(1970, 3, 7, 12))
             .Time(PR_BIRTHDAY, UtcFileTime(1980, 1, 2, 12))
             .Time(PR_BIRTHDAY, UtcFileTime(1980, 1, 2, 12))
             .Time(PR_WEDDING_ANNIVERSARY, FILETIME{0, 0}),
         "2 2 dates | Birthday=0x8000000000000001 Birthday=1970-03-08"},
        {"a birthday on the last day of 9999 here",
         PropArray().Time(PR_BIRTHDAY, UtcFileTime(9999, 12, 30, 12)), "0  |"},
        {"a birthday in the year 10000 here",
         PropArray().Time(PR_BIRTHDAY, UtcFileTime(9999, 12, 31, 12)),
         "1 1 date | Birthday=0x24C859FA3C8B6000"},
        {"e-mail: replaced defaults not among the others, a list of another type",
         PropArray(PR_EMAIL_ADDRESS, "y", PR_EMAIL_ADDRESS, "x", PR_EMAIL_ADDRESS, "a")
             .Multi(PR_CONTACT_EMAIL_ADDRESSES, {"x", nullptr, "a"})
             .Str(PROP_TAG(PT_STRING8, PROP_ID(PR_CONTACT_EMAIL_ADDRESSES)), "z"),
         "2 2 e-mail addresses | E-mail address=y E-mail addresses=z"},
        {"custom fields of every type; an error or no bytes is nothing",
         PropArray()
             .Str(PROP_TAG(PT_STRING8, custom), "c")
             .Multi(PROP_TAG(PT_MV_STRING8, custom), {"d", ""})
             .Long(PROP_TAG(PT_BINARY, custom), 3)
             .Long(PROP_TAG(PT_BINARY, custom), 0)  // no bytes: nothing
             .Long(PROP_TAG(PT_ERROR, custom), 0)
             .Long(PROP_TAG(0x0005, custom), 1),
         "4 4 other values | Custom field 0x6804=c Custom field 0x6804=d Custom field 0x6804=3 "
         "bytes Custom field 0x6804=a value of type 0x0005"},
        {"the parts of one address are one address",
         PropArray(PR_OTHER_ADDRESS_STREET, "s", PR_HOME_ADDRESS_POST_OFFICE_BOX, "p",
                   PR_OTHER_ADDRESS_CITY, "c", PR_HOME_ADDRESS_CITY, "h")
             .Multi(PR_MORE_ADDRESSES, {"m1", "m2"}),
         "4 4 addresses | Other street=s Home post office box=p Other city=c More addresses=m1 "
         "More addresses=m2"},
    };
    for (const Case& c : cases) {
        for (const Format& format : kFormats) {
            EXPECT_EQ(LeftOut(format, c.props.data(), c.props.size()),
                      format.csv && !c.csv.empty() ? c.csv : c.vcard)
                << c.name << ", " << format.places.name;
        }
    }
    LeftOutCounts none;  // no array, as BuildContactRecord reads it: no values
    CountLeftOut(kVCardPlaces, nullptr, 3, 0, none, {});
    EXPECT_EQ(none.Total(), 0u);
}
