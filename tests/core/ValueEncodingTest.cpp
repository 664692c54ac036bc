#include "core/ValueEncoding.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::RecordingFile;

namespace {

struct EncodeCase {
    std::string input;
    std::string plain;   // quotedPrintableMode off
    std::string quoted;  // quotedPrintableMode on
};

std::string Encode(const std::string& input, bool quoted) {
    quotedPrintableMode = quoted;
    std::string result(EncodeValue(input.c_str()));
    quotedPrintableMode = false;
    return result;
}

}  // namespace

TEST(ValueEncodingTest, EncodesLineBreaksInBothModes) {
    const EncodeCase cases[] = {
        {"", "", ""},
        {"plain text", "plain text", "plain text"},
        {"\r\n\r\n", "", ""},
        {"\n\n", "", ""},
        {"\r\r\n", "", ""},
        {"g\r\nh", "g\x06h", "g=0D=0Ah"},
        {"g\rh", "g\x06h", "g=0D=0Ah"},
        {"g\nh", "g\nh", "g=0D=0Ah"},
        {"g\r\r\nh", "g\x06\x06h", "g=0D=0A=0D=0Ah"},
        {"\n\rg", "\n\x06g", "=0D=0A=0D=0Ag"},
        {"x\r\n\r\n", "x", "x"},
        {"=A\x06G\r\n", "=A\x06G", "=A=0D=0AG"},
        {"\x06", "", ""},
        {"a\x06\n\r", "a", "a"},
        {"\x80\xFF\x01=;,:\\\"", "\x80\xFF\x01=;,:\\\"", "\x80\xFF\x01=;,:\\\""},
        {"\r\n\n\rmid\r\nlast", "\x06\n\x06mid\x06last", "=0D=0A=0D=0A=0D=0Amid=0D=0Alast"},
    };
    for (const EncodeCase& c : cases) {
        EXPECT_EQ(Encode(c.input, false), c.plain) << testing::PrintToString(c.input);
        EXPECT_EQ(Encode(c.input, true), c.quoted) << testing::PrintToString(c.input);
    }
}

TEST(ValueEncodingTest, EncodesValuesOfAnyLengthWhole) {
    // Lengths around the 4096-byte buffers, before and after expansion.
    for (const std::size_t length : {4094u, 4095u, 4096u, 4097u, 10000u, 1u << 20}) {
        std::string input, plain, quoted;
        for (std::size_t i = 0; i < length; ++i) {
            const bool lineBreak = i % 7 == 3;
            const std::string letter(1, static_cast<char>('a' + i % 26));
            input += lineBreak ? "\r\n" : letter;
            plain += lineBreak ? "\x06" : letter;
            quoted += lineBreak ? "=0D=0A" : letter;
        }
        EXPECT_EQ(Encode(input + "z\r\n", false), plain + "z") << length;
        EXPECT_EQ(Encode(input + "z\r\n", true), quoted + "z") << length;
    }
    // A value that fits before expansion but not after it.
    std::string expanded = "a";
    for (int i = 0; i < 2000; ++i) {
        expanded += "=0D=0A";
    }
    EXPECT_EQ(Encode("a" + std::string(2000, '\n') + "b", true), expanded + "b");
    // Short values after a long one use the fixed buffers again correctly.
    EXPECT_EQ(Encode("short\r\n", true), "short");
    EXPECT_EQ(Encode("short\rx", false), "short\x06x");
}

TEST(ValueEncodingTest, WriteValueAndWriteJoinedValueFollowTheWrittenFlag) {
    struct Case {
        const char* name;
        bool joined;
        unsigned char flagBefore;
        const char* value;
        std::vector<std::string> writes;
        unsigned char flagAfter;
    };
    const Case cases[] = {
        {"absent value writes nothing", false, 0, nullptr, {}, 0},
        {"present value sets the flag", false, 0, "v\r\n", {"v"}, 1},
        {"empty value still sets the flag", false, 0, "", {""}, 1},
        {"only line breaks still set the flag", false, 0, "\r\n", {""}, 1},
        {"joined, flag 0: no marker", true, 0, "v", {"v"}, 1},
        {"joined, flag 1, absent: nothing", true, 1, nullptr, {}, 1},
        {"joined, flag 1, present: marker then value", true, 1, "v", {"\x06", "v"}, 1},
        {"joined, flag 1, empty: marker then nothing", true, 1, "", {"\x06", ""}, 1},
    };
    for (const Case& c : cases) {
        RecordingFile file;
        unsigned char flag = c.flagBefore;
        if (c.joined) {
            WriteJoinedValue(c.value, flag, file);
        } else {
            WriteValue(c.value, flag, file);
        }
        EXPECT_EQ(file.writes(), c.writes) << c.name;
        EXPECT_EQ(flag, c.flagAfter) << c.name;
    }
}
