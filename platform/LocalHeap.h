#pragma once

#include <cstddef>

// The local heap, as the session keeps its copy of the current entry id. Kept
// in a library of its own so a test can link a replacement that fails.
inline constexpr unsigned LMEM_ZEROINIT = 0x0040;

// A block of bytes (zero-filled with LMEM_ZEROINIT), or null when none is
// available. A size of 0 gives null.
void* LocalAlloc(unsigned flags, std::size_t bytes);
// Frees a block from LocalAlloc (null is allowed); returns null.
void* LocalFree(void* block);
