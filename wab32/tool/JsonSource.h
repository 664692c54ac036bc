// The JSON form of a book that `quorvel-book create` reads.
#pragma once

#include "wab32/BookFormat.h"

#include <filesystem>
#include <string>
#include <vector>

namespace wab32 {

struct SourceEntry {
    ULONG objectType = MAPI_MAILUSER;
    std::vector<StoredProperty> props;
};

// Parses a whole source file; on failure `error` names the entry and
// property index and the reason.
bool LoadJsonSource(const std::filesystem::path& path, std::vector<SourceEntry>& entries,
                    std::string& error);

// The same for text already read.
bool ParseJsonSource(const std::string& text, std::vector<SourceEntry>& entries,
                     std::string& error);

}  // namespace wab32
