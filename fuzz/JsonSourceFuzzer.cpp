// Feeds arbitrary text to the JSON reader of `quorvel-book create`: it either
// gives entries or a reason, and never crashes.
#include "FuzzCheck.h"
#include "wab32/tool/JsonSource.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<wab32::SourceEntry> entries;
    std::string error;
    // Every refusal says why.
    Check(wab32::ParseJsonSource(text, entries, error) || !error.empty());
    return 0;
}
