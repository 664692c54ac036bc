// Arbitrary text read as a vCard file in pieces the input sizes: each card is
// mapped or counted unreadable, the same as when the text is read whole.
#include "FuzzCheck.h"
#include "wab32/vcard/VCardBook.h"
#include "wab32/vcard/VCardCard.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string> Cards(std::string_view text, std::size_t piece) {
    std::vector<std::string> seen;
    wab32::vcard::CardSplitter splitter([&seen](std::string_view body, bool whole) {
        const wab32::vcard::CardEntry entry = wab32::vcard::ReadCard(body, whole);
        std::string summary =
            std::to_string(entry.objectType) + (entry.readable ? "+" : "-") + entry.displayName;
        for (const wab32::StoredProperty& p : entry.props) {
            summary += std::to_string(p.tag) + ":" + p.bytes + std::to_string(p.values.size());
        }
        seen.push_back(std::move(summary));
    });
    for (std::size_t at = 0; at < text.size(); at += piece) {
        splitter.Feed(text.substr(at, piece));
    }
    splitter.Finish();
    return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t piece = 1 + data[0] % 16;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    wab32::vcard::LooksLikeVCard(text, true);
    Check(Cards(text, piece) == Cards(text, text.size() + 1));
    return 0;
}
