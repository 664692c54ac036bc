// Arbitrary bytes read as a vCard file in pieces the input sizes: the kind
// of file and each card, mapped or damaged, are the same as when read whole.
#include "FuzzCheck.h"
#include "wab32/vcard/VCardBook.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string> Cards(std::string_view bytes, std::size_t piece) {
    std::vector<std::string> seen;
    wab32::vcard::CardReader reader(
        [&seen](std::string_view body, wab32::vcard::CardEnd end, bool unicodeFile) {
            const wab32::vcard::CardEntry entry = wab32::vcard::ReadCard(body, end, unicodeFile);
            std::string summary =
                std::to_string(entry.objectType) + entry.damage.value_or("+") + entry.displayName;
            for (const wab32::StoredProperty& p : entry.props) {
                summary += std::to_string(p.tag) + ":" + p.bytes;
                for (const std::string& v : p.values) {
                    summary += "|" + v;
                }
            }
            seen.push_back(std::move(summary));
        });
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        reader.Feed(bytes.substr(at, piece));
    }
    reader.Finish();
    seen.push_back(std::to_string(static_cast<int>(reader.Kind())));
    return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t piece = 1 + data[0] % 16;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    Check(Cards(bytes, piece) == Cards(bytes, bytes.size() + 1));
    return 0;
}
