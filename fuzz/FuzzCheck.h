// A fuzz target's check: a failed one aborts, which the fuzzer reports.
#pragma once

#include <cstdlib>

inline void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}
