// The vCard reader's decoding and mapping of single cards, for what the
// sample files of tests/e2e/vcard do not reach.
#include "tests/support/TestSupport.h"
#include "wab32/vcard/VCardCard.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

using wab32::vcard::CardEntry;
using wab32::vcard::ReadCard;

// The property as text: its bytes or FILETIME in decimal, then its values
// joined by "|"; "-" when absent.
std::string Value(const CardEntry& entry, ULONG tag) {
    for (const wab32::StoredProperty& p : entry.props) {
        if (p.tag == tag) {
            std::string text = PROP_TYPE(tag) == PT_SYSTIME ? std::to_string(p.filetime) : p.bytes;
            for (const std::string& v : p.values) {
                text += (text.empty() ? "" : "|") + v;
            }
            return text;
        }
    }
    return "-";
}

TEST(VCardReaderTest, DecodesAndMapsValues) {
    const std::tuple<const char*, ULONG, std::string> cases[] = {
        {"NOTE;ENCODING=QUOTED-PRINTABLE:a=0D=0A\n b", PR_COMMENT, "a\r\nb"},
        {"NOTE;QUOTED-PRINTABLE:x=\ny=\nEND", PR_COMMENT, "xyEND"},
        {"NOTE;ENCODING=QUOTED-PRINTABLE:1 = 2=3D3=0a", PR_COMMENT, "1 = 2=3\r\n"},
        {"TITLE:a\\,b\\;c\\\\d\\ne\\x", PR_TITLE, "a,b;c\\d\r\ne\\x"},
        {"TITLE:a\006b\rc", PR_TITLE, "a\r\nb\r\nc"},
        {"NOTE;ENCODING=QUOTED-PRINTABLE:a\006b", PR_COMMENT, "a\006b"},
        {"TITLE:a\nb", PR_TITLE, "a\nb"},
        {"ADR;TYPE=home:;;a\\;b;c\nADR:;;second", PR_HOME_ADDRESS_STREET, "a;b"},
        {"TEL;HOME:1\ntel:2", PR_HOME_TELEPHONE_NUMBER, "1"},
        {"EMAIL:a\nEMAIL;PREF=2:b\nEMAIL;PREF=1:c\nEMAIL:d", PR_CONTACT_EMAIL_ADDRESSES, "c|d|b|a"},
        {"BDAY:1972-09-16T08:00:00Z", PR_BIRTHDAY, "117299664000000000"},
        {"BDAY:16000101", PR_BIRTHDAY, "-"},
        {"AGENT:\nBEGIN:VCARD\nFN:Inner\nEND:VCARD\nFN:Outer", PR_DISPLAY_NAME_A, "Outer"},
    };
    for (const auto& [body, tag, expected] : cases) {
        const CardEntry entry = ReadCard(body);
        EXPECT_TRUE(entry.readable) << body;
        EXPECT_EQ(Value(entry, tag), expected) << body;
    }
}

// What the sample files and VCardBookTest do not show: a group kind in
// capitals, a NUL byte and a first line without a colon.
TEST(VCardReaderTest, KindsAndUnreadableCards) {
    EXPECT_EQ(ReadCard("FN:x\nKIND:Group").objectType, MAPI_DISTLIST);
    EXPECT_FALSE(ReadCard(std::string("FN:a\0b", 6)).readable);
    EXPECT_FALSE(ReadCard("no colon").readable);
}

}  // namespace
