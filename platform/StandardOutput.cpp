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
