// `quorvel-book generate`: deterministic synthetic contacts that exercise
// every mapped property and the hard cases of the export.
#pragma once

#include "wab32/BookFile.h"

#include <cstdint>

namespace wab32 {

// Adds `count` entries (mail users and some distribution lists) to the
// writer. The same count and seed always give the same entries.
bool GenerateContacts(CBookWriter& writer, std::uint64_t count, std::uint64_t seed);

}  // namespace wab32
