#pragma once

#include <cstring>
#include <string>
#include <string_view>

// The one order of display names, used by the book's contents table and by
// every sorted contact list: ASCII letters compared without case, then, for
// names equal that way, the raw bytes. Bytes compare as unsigned.
inline unsigned char FoldAsciiCase(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

inline int CompareDisplayNames(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = FoldAsciiCase(static_cast<unsigned char>(a[i]));
        const unsigned char y = FoldAsciiCase(static_cast<unsigned char>(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    const int raw = a.compare(b);
    return raw < 0 ? -1 : (raw > 0 ? 1 : 0);
}

// A byte string whose plain byte order (memcmp, shorter prefix first) is the
// order above: the folded name, a zero byte, then the name itself. Stored
// beside each entry so the table can be read in order from an index.
inline std::string DisplayNameSortKey(std::string_view name) {
    std::string key;
    key.reserve(name.size() * 2 + 1);
    for (char c : name) {
        key.push_back(static_cast<char>(FoldAsciiCase(static_cast<unsigned char>(c))));
    }
    key.push_back('\0');
    key.append(name);
    return key;
}
