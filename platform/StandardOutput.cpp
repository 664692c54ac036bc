#include "platform/StandardOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

bool WriteStandardOutput(const char* program, std::string_view text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
        std::fflush(stdout) == 0) {
        return true;
    }
    const int failure = errno;
    std::fprintf(stderr, "%s: cannot write standard output: %s\n", program,
                 failure != 0 ? std::strerror(failure) : "write error");
    return false;
}

std::string OneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    char code[8];
    for (const unsigned char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    std::snprintf(code, sizeof code, "\\x%02X", c);
                    out += code;
                } else {
                    out.push_back(static_cast<char>(c));
                }
        }
    }
    return out;
}
