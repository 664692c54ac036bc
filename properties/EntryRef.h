#pragma once

#include <cstdint>

// One listed contact: a counted entry id. The head block and the id bytes
// come from the session's library allocator (the bytes chained to the head).
struct EntryRef {
    std::uint32_t cb;
    std::uint8_t* lpb;
};
