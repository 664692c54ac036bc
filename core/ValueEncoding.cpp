#include "core/ValueEncoding.h"

#include <cstring>
#include <vector>

bool quotedPrintableMode = false;

namespace {

constexpr std::size_t kBufferSize = 4096;
constexpr char kQuotedLineBreak[] = "=0D=0A";
constexpr std::size_t kQuotedLineBreakLength = sizeof(kQuotedLineBreak) - 1;
constexpr char kMarkerString[] = {lineBreakMarker, '\0'};

// The two fixed buffers serve every value that fits; a longer value is
// encoded in a growing buffer of the same role instead, never truncated.
char resultBuffer[kBufferSize];
char stagingBuffer[kBufferSize];
std::vector<char> longResultBuffer;
std::vector<char> longStagingBuffer;

char* BufferFor(std::size_t needed, char* fixed, std::vector<char>& grown) {
    if (needed <= kBufferSize) {
        return fixed;
    }
    if (grown.size() < needed) {
        grown.resize(needed);
    }
    return grown.data();
}

// CR LF and lone CR become one marker; every other byte is copied. Returns the
// length written (the terminator follows).
std::size_t MarkLineBreaks(const char* value, std::size_t length, char* target) {
    char* out = target;
    const char* in = value;
    const char* const end = value + length;
    while (in < end) {
        // Copy up to the next CR in one piece: most values hold none.
        const void* found = std::memchr(in, '\r', static_cast<std::size_t>(end - in));
        const char* const cr = found != nullptr ? static_cast<const char*>(found) : end;
        std::memcpy(out, in, static_cast<std::size_t>(cr - in));
        out += cr - in;
        if (cr == end) {
            break;
        }
        *out++ = lineBreakMarker;
        in = cr + 1;
        if (in < end && *in == '\n') {
            ++in;
        }
    }
    *out = '\0';
    return static_cast<std::size_t>(out - target);
}

bool IsLineBreak(char c) {
    return c == lineBreakMarker || c == '\n';
}

std::size_t StripTrailingBreaks(char* text, std::size_t length) {
    while (length > 0 && IsLineBreak(text[length - 1])) {
        --length;
    }
    text[length] = '\0';
    return length;
}

std::string_view ExpandLineBreaks(const char* staged, std::size_t length) {
    std::size_t breaks = 0;
    for (std::size_t i = 0; i < length; ++i) {
        breaks += IsLineBreak(staged[i]) ? 1 : 0;
    }
    const std::size_t expanded = length + breaks * (kQuotedLineBreakLength - 1);
    char* const result = BufferFor(expanded + 1, resultBuffer, longResultBuffer);
    char* out = result;
    for (std::size_t i = 0; i < length; ++i) {
        if (IsLineBreak(staged[i])) {
            std::memcpy(out, kQuotedLineBreak, kQuotedLineBreakLength);
            out += kQuotedLineBreakLength;
        } else {
            *out++ = staged[i];
        }
    }
    *out = '\0';
    return std::string_view(result, expanded);
}

}  // namespace

std::string_view EncodeValue(const char* value) {
    const std::size_t length = std::strlen(value);
    // The first pass never lengthens the text.
    char* const staged = quotedPrintableMode
                             ? BufferFor(length + 1, stagingBuffer, longStagingBuffer)
                             : BufferFor(length + 1, resultBuffer, longResultBuffer);
    const std::size_t marked = StripTrailingBreaks(staged, MarkLineBreaks(value, length, staged));
    return quotedPrintableMode ? ExpandLineBreaks(staged, marked)
                               : std::string_view(staged, marked);
}

void WriteValue(const char* value, unsigned char& writtenFlag, OutputFile& file) {
    if (value == nullptr) {
        return;
    }
    writtenFlag = 1;
    const std::string_view encoded = EncodeValue(value);
    file.WriteStringOfLength(encoded.data(), encoded.size());
}

void WriteJoinedValue(const char* value, unsigned char& writtenFlag, OutputFile& file) {
    if (value != nullptr && writtenFlag == 1) {
        file.WriteStringOfLength(kMarkerString, 1);
    }
    WriteValue(value, writtenFlag, file);
}
