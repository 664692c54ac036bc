// The grammar of one vCard (2.1, 3.0 or 4.0): unfolding, the head of each
// content line (group, name, parameters), and the decoding of its value to
// UTF-8 text in one order: transfer encoding, charset, components, escapes.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wab32::vcard {

// ASCII letters compared without case: the one comparison of names,
// parameters and card markers.
bool EqualsNoCase(std::string_view a, std::string_view b);
// Blanks that may surround a card marker or lead a folded line's text.
inline bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\f' || c == '\x1A';
}
// A line that is BEGIN:VCARD or END:VCARD, with blanks around it, any case.
bool IsCardMarker(std::string_view line, std::string_view marker);
// A line that starts a property: a name (with an optional group) followed
// by ';' or ':'. A line that does not ends no quoted-printable value.
bool StartsProperty(std::string_view line);

enum class Version { V21, V30, V40 };
enum class Transfer { None, QuotedPrintable, Base64 };

// One unfolded content line, its value still encoded.
struct ContentLine {
    std::string name;                // upper case, group prefix removed
    std::vector<std::string> types;  // TYPE values and bare 2.1 parameters, upper case
    Transfer transfer = Transfer::None;
    std::string charset;     // CHARSET as written; "" for none
    int prefRank = 0;        // 0 for none; PREF=n gives n, bare PREF 1
    std::string_view value;  // after the colon; soft line breaks removed

    bool HasType(std::string_view type) const;
};

// The content lines of one card. Lines of a nested card (a 2.1 AGENT) are
// left out; a line that is no property (no colon, or nothing before it) is
// kept as written in `stray`.
struct CardLines {
    std::vector<ContentLine> lines;
    std::vector<std::string_view> stray;
    Version version = Version::V30;                    // from VERSION; 3.0 when there is none
    std::vector<std::unique_ptr<std::string>> joined;  // the text of lines that were unfolded
};

// Splits the text between BEGIN:VCARD and END:VCARD (lines ended by "\n").
// The views point into `body` and into the result's `joined`.
CardLines SplitContentLines(std::string_view body);

// How a value is read: the file's own text was converted to UTF-8 (a UTF-16
// file), so a CHARSET parameter no longer says anything about it.
struct DecodeContext {
    Version version = Version::V30;
    bool unicodeFile = false;
};

// A value as one text (un-escaped as text), or split into components (N,
// ADR, ORG). nullopt when the value cannot be decoded: an unknown charset,
// bytes not valid in the declared one, damaged base64.
std::optional<std::string> DecodeText(const ContentLine& line, const DecodeContext& context);
std::optional<std::vector<std::string>> DecodeComponents(const ContentLine& line,
                                                         const DecodeContext& context);
// Bytes in no declared charset as UTF-8: valid UTF-8 sequences as they are,
// every other byte read as Windows-1252.
std::string PlainTextToUtf8(std::string_view bytes);

}  // namespace wab32::vcard
