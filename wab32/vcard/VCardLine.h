// The content lines of one vCard (2.1, 3.0 or 4.0): unfolding, the name and
// parameters of each line, and the decoding of its values to UTF-8 text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wab32::vcard {

// One unfolded content line, its value still encoded.
struct ContentLine {
    std::string name;                // upper case, group prefix removed
    std::vector<std::string> types;  // TYPE values and bare 2.1 parameters, upper case
    std::string encoding;            // ENCODING, upper case; "" for none
    std::string charset;             // CHARSET as written; "" for none
    int prefRank = 0;                // 0 for none; PREF=n gives n, bare PREF 1
    std::string value;               // raw value text after the colon

    bool HasType(std::string_view type) const;
    bool QuotedPrintable() const { return encoding == "QUOTED-PRINTABLE"; }
};

// Splits the text between BEGIN:VCARD and END:VCARD (lines ended by "\n")
// into content lines. Unfolds lines that start with a space or tab, and joins
// quoted-printable lines that end in a soft line break. A line without a colon
// continues the previous value after a line break. Lines of a nested card are
// skipped. nullopt when a line cannot be read (no name, or nothing before it)
// or the text holds a NUL byte.
std::optional<std::vector<ContentLine>> SplitContentLines(std::string_view body);

// Splits a raw value at the separators ';' not escaped by a backslash.
std::vector<std::string_view> SplitComponents(std::string_view raw);

// Decodes one value or component to UTF-8 text: quoted-printable (for such
// lines), backslash escapes, the line's charset, the 0x06 that Quorvel writes
// for a line break outside quoted-printable lines; every line break becomes
// CR LF, except the line feed before a continuation line without a colon,
// which stays one line feed (as a writer that does not escape it meant it).
// nullopt when the charset is unknown or the text is not valid in it.
std::optional<std::string> DecodeValue(const ContentLine& line, std::string_view raw);

}  // namespace wab32::vcard
