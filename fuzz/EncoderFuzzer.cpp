// Encodes arbitrary values in both modes and checks the result against a
// plain model of the encoding rules.
#include "core/ValueEncoding.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Model(const std::string& value, bool quoted) {
    std::string marked;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r') {
            marked += lineBreakMarker;
            if (i + 1 < value.size() && value[i + 1] == '\n') {
                ++i;
            }
        } else {
            marked += value[i];
        }
    }
    while (!marked.empty() && (marked.back() == lineBreakMarker || marked.back() == '\n')) {
        marked.pop_back();
    }
    if (!quoted) {
        return marked;
    }
    std::string expanded;
    for (char c : marked) {
        expanded += (c == lineBreakMarker || c == '\n') ? std::string("=0D=0A") : std::string(1, c);
    }
    return expanded;
}

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const bool quoted = (data[0] & 1) != 0;
    // The value runs to the first zero byte, as a C string does.
    std::string value(reinterpret_cast<const char*>(data + 1), size - 1);
    value.resize(std::strlen(value.c_str()));

    quotedPrintableMode = quoted;
    const std::string_view encoded = EncodeValue(value.c_str());
    const std::string result(encoded);
    quotedPrintableMode = false;

    Check(std::strlen(encoded.data()) == encoded.size());
    Check(result == Model(value, quoted));
    Check(result.find('\r') == std::string::npos);
    if (quoted) {
        Check(result.find(lineBreakMarker) == std::string::npos);
        Check(result.find('\n') == std::string::npos);
        // A trailing "=0D=0A" can only be the value's own text.
        Check(result.size() < 6 || result.compare(result.size() - 6, 6, "=0D=0A") != 0 ||
              value.find("=0D=0A") != std::string::npos);
    } else if (!result.empty()) {
        Check(result.back() != lineBreakMarker && result.back() != '\n');
    }
    return 0;
}
