// Arbitrary values in both modes: no CR left, no break at the end, the text
// kept; quoted-printable is the plain result with each break as "=0D=0A".
#include "FuzzCheck.h"
#include "core/ValueEncoding.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

std::string Encode(const std::string& value, bool quoted) {
    quotedPrintableMode = quoted;
    const std::string_view encoded = EncodeValue(value.c_str());
    quotedPrintableMode = false;
    Check(std::strlen(encoded.data()) == encoded.size());
    return std::string(encoded);
}

bool IsBreak(char c) {
    return c == '\r' || c == '\n' || c == lineBreakMarker;
}

std::string WithoutBreaks(std::string text) {
    std::erase_if(text, IsBreak);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The value runs to the first zero byte, as a C string does.
    const std::string value(reinterpret_cast<const char*>(data),
                            std::find(data, data + size, 0) - data);
    const std::string plain = Encode(value, false);
    Check(plain.find('\r') == std::string::npos && WithoutBreaks(plain) == WithoutBreaks(value));
    Check(plain.empty() || (plain.back() != lineBreakMarker && plain.back() != '\n'));
    std::string spelled;
    for (char c : plain) {
        spelled += IsBreak(c) ? std::string("=0D=0A") : std::string(1, c);
    }
    Check(Encode(value, true) == spelled);
    return 0;
}
