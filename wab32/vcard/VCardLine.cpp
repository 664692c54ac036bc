#include "wab32/vcard/VCardLine.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace wab32::vcard {

namespace {

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string UpperCase(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = Upper(c);
    }
    return out;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// The names a line must have to end a quoted-printable value: a continuation
// line may well hold a word followed by a colon.
constexpr std::string_view kKnownNames[] = {
    "ADR",         "AGENT",   "ANNIVERSARY",  "BDAY",    "BEGIN",   "CALADRURI", "CALURI",
    "CATEGORIES",  "CLASS",   "CLIENTPIDMAP", "EMAIL",   "END",     "FBURL",     "FN",
    "GENDER",      "GEO",     "IMPP",         "KEY",     "KIND",    "LABEL",     "LANG",
    "LOGO",        "MAILER",  "MEMBER",       "N",       "NAME",    "NICKNAME",  "NOTE",
    "ORG",         "PHOTO",   "PRODID",       "PROFILE", "RELATED", "REV",       "ROLE",
    "SORT-STRING", "SOUND",   "SOURCE",       "TEL",     "TITLE",   "TZ",        "UID",
    "URL",         "VERSION", "XML",
};

bool IsKnownName(std::string_view name) {
    if (name.size() > 2 && EqualsNoCase(name.substr(0, 2), "X-")) {
        return true;
    }
    return std::any_of(std::begin(kKnownNames), std::end(kKnownNames),
                       [name](std::string_view known) { return EqualsNoCase(name, known); });
}

// Reads the parameters of a line's head into `line`.
void AddParameter(ContentLine& line, std::string_view key,
                  const std::vector<std::string_view>& values) {
    key = TrimBlanks(key);
    if (values.empty()) {  // a bare 2.1 parameter
        const std::string bare = UpperCase(key);
        if (bare == "QUOTED-PRINTABLE") {
            line.transfer = Transfer::QuotedPrintable;
        } else if (bare == "BASE64") {
            line.transfer = Transfer::Base64;
        } else if (bare == "PREF") {
            line.prefRank = 1;
        } else if (!bare.empty() && bare != "8BIT" && bare != "7BIT") {
            line.types.push_back(bare);
        }
        return;
    }
    if (EqualsNoCase(key, "TYPE")) {
        for (std::string_view v : values) {
            std::size_t start = 0;
            for (std::size_t i = 0; i <= v.size(); ++i) {
                if (i == v.size() || v[i] == ',') {
                    const std::string type = UpperCase(TrimBlanks(v.substr(start, i - start)));
                    if (type == "PREF") {
                        line.prefRank = 1;
                    } else if (!type.empty()) {
                        line.types.push_back(type);
                    }
                    start = i + 1;
                }
            }
        }
    } else if (EqualsNoCase(key, "ENCODING")) {
        const std::string_view v = TrimBlanks(values.front());
        if (EqualsNoCase(v, "QUOTED-PRINTABLE")) {
            line.transfer = Transfer::QuotedPrintable;
        } else if (EqualsNoCase(v, "B") || EqualsNoCase(v, "BASE64")) {
            line.transfer = Transfer::Base64;
        }
    } else if (EqualsNoCase(key, "CHARSET")) {
        line.charset = std::string(TrimBlanks(values.front()));
    } else if (EqualsNoCase(key, "PREF")) {
        const int rank = std::atoi(std::string(values.front()).c_str());
        line.prefRank = rank >= 1 && rank <= 100 ? rank : 100;
    }
}

// The head of a line: group, name and parameters up to the colon. With
// `quotes`, a double-quoted parameter value may hold ';', ',' and ':'.
// nullopt when there is no colon (or a quote is not closed) or no name.
std::optional<ContentLine> ParseHead(std::string_view text, bool quotes) {
    const std::size_t n = text.size();
    std::size_t i = 0;
    std::size_t nameStart = 0;
    while (i < n && text[i] != ';' && text[i] != ':') {
        nameStart = text[i] == '.' ? i + 1 : nameStart;
        ++i;
    }
    ContentLine line;
    line.name = UpperCase(TrimBlanks(text.substr(nameStart, i - nameStart)));
    std::vector<std::string_view> values;
    while (i < n && text[i] == ';') {
        const std::size_t keyStart = ++i;
        while (i < n && text[i] != '=' && text[i] != ';' && text[i] != ':') {
            ++i;
        }
        const std::string_view key = text.substr(keyStart, i - keyStart);
        values.clear();
        while (i < n && (text[i] == '=' || (text[i] == ',' && !values.empty()))) {
            const std::size_t start = ++i;
            std::size_t close = std::string_view::npos;
            if (quotes && i < n && text[i] == '"') {
                close = text.find('"', i + 1);
                if (close == std::string_view::npos) {
                    return std::nullopt;
                }
                i = close + 1;
            }
            while (i < n && text[i] != ',' && text[i] != ';' && text[i] != ':') {
                ++i;  // anything after a closing quote is ignored
            }
            values.push_back(close == std::string_view::npos
                                 ? text.substr(start, i - start)
                                 : text.substr(start + 1, close - start - 1));
        }
        AddParameter(line, key, values);
    }
    if (i >= n || line.name.empty()) {
        return std::nullopt;
    }
    line.value = text.substr(i + 1);
    return line;
}

// A line of a card as a content line; nullopt when it is no property. A
// quote that is never closed is taken as an ordinary character.
std::optional<ContentLine> ParseLine(std::string_view text) {
    std::optional<ContentLine> line = ParseHead(text, true);
    return line ? line : ParseHead(text, false);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char u = Upper(c);
    return (u >= 'A' && u <= 'F') ? u - 'A' + 10 : -1;
}

// "=" followed by two hex digits is that byte; a final "=" is a soft line
// break with nothing after it; any other "=" stays.
std::string DecodeQuotedPrintable(std::string_view s) {
    if (!s.empty() && s.back() == '=') {
        s.remove_suffix(1);
    }
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '=' && i + 2 < s.size() && HexDigit(s[i + 1]) >= 0 && HexDigit(s[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexDigit(s[i + 1]) * 16 + HexDigit(s[i + 2])));
            i += 2;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

int Base64Digit(char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    return c == '+' ? 62 : c == '/' ? 63 : -1;
}

// Blanks (left by folding) are skipped; padding ends the data.
std::optional<std::string> DecodeBase64(std::string_view s) {
    std::string out;
    out.reserve(s.size() / 4 * 3 + 3);
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : s) {
        if (c == '=') {
            break;
        }
        const int d = Base64Digit(c);
        if (d < 0) {
            if (IsBlank(c)) {
                continue;
            }
            return std::nullopt;
        }
        bits = (bits << 6) | static_cast<std::uint32_t>(d);
        if (++count == 4) {
            out.push_back(static_cast<char>((bits >> 16) & 0xFF));
            out.push_back(static_cast<char>((bits >> 8) & 0xFF));
            out.push_back(static_cast<char>(bits & 0xFF));
            bits = 0;
            count = 0;
        }
    }
    if (count == 1) {
        return std::nullopt;
    }
    if (count >= 2) {
        bits <<= 6 * (4 - count);
        out.push_back(static_cast<char>((bits >> 16) & 0xFF));
        if (count == 3) {
            out.push_back(static_cast<char>((bits >> 8) & 0xFF));
        }
    }
    return out;
}

// The length of the valid UTF-8 sequence at the start of s; 0 for none.
std::size_t Utf8SequenceLength(std::string_view s) {
    const auto c = static_cast<unsigned char>(s[0]);
    if (c < 0x80) {
        return 1;
    }
    std::size_t len = 0;
    std::uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07u;
    } else {
        return 0;
    }
    if (s.size() < len) {
        return 0;
    }
    for (std::size_t k = 1; k < len; ++k) {
        const auto cc = static_cast<unsigned char>(s[k]);
        if ((cc & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (cc & 0x3Fu);
    }
    const std::uint32_t least = len == 3 ? 0x800 : len == 4 ? 0x10000 : 0x80;
    return cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) ? 0 : len;
}

// Windows-1252's characters at 0x80 to 0x9F; the five it leaves undefined
// stand for themselves, as the C1 controls.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendCp1252(std::string& out, char ch) {
    const auto c = static_cast<unsigned char>(ch);
    const std::uint32_t cp = c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c;
    if (cp < 0x80) {
        out.push_back(ch);
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string Cp1252ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 2);
    for (char c : s) {
        AppendCp1252(out, c);
    }
    return out;
}

bool IsOneOf(std::string_view charset, std::initializer_list<std::string_view> names) {
    return std::any_of(names.begin(), names.end(),
                       [charset](std::string_view n) { return EqualsNoCase(charset, n); });
}

// Converts with iconv; nullopt when the charset is unknown or the text is
// not valid in it.
std::optional<std::string> Iconv(const std::string& text, const char* charset) {
    iconv_t cd = iconv_open("UTF-8", charset);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string out(text.size() + text.size() / 2 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    std::size_t done = 0;
    bool ok = true;
    // Converts, then returns to the initial shift state; the output grows
    // as often as it is too small.
    for (bool flush : {false, true}) {
        while (ok) {
            char* dst = out.data() + done;
            std::size_t outLeft = out.size() - done;
            const std::size_t rc = flush ? iconv(cd, nullptr, nullptr, &dst, &outLeft)
                                         : iconv(cd, &in, &inLeft, &dst, &outLeft);
            done = out.size() - outLeft;
            if (rc != static_cast<std::size_t>(-1)) {
                break;
            }
            ok = errno == E2BIG;
            out.resize(out.size() * 2);
        }
    }
    iconv_close(cd);
    if (!ok) {
        return std::nullopt;
    }
    out.resize(done);
    return out;
}

std::optional<std::string> ToUtf8(std::string text, std::string_view charset) {
    if (charset.empty() || IsOneOf(charset, {"UTF-8", "UTF8"})) {
        // Valid UTF-8, the common case, keeps its string.
        const bool valid = std::all_of(text.begin(), text.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        return valid ? std::move(text) : PlainTextToUtf8(text);
    }
    if (IsOneOf(charset, {"WINDOWS-1252", "CP1252", "ISO-8859-1", "ISO8859-1", "LATIN1"})) {
        return Cp1252ToUtf8(text);
    }
    // CP932 keeps ASCII '\' and '~' (glibc's SHIFT_JIS makes them a yen sign
    // and an overline) and knows Windows' additional characters.
    if (IsOneOf(charset, {"SHIFT_JIS", "SHIFT-JIS", "SJIS", "X-SJIS", "MS_KANJI", "CSSHIFTJIS",
                          "WINDOWS-31J", "CP932", "MS932"})) {
        return Iconv(text, "CP932");
    }
    return Iconv(text, std::string(charset).c_str());
}

std::optional<std::string> TransferAndCharset(const ContentLine& line,
                                              const DecodeContext& context) {
    std::string bytes;
    if (line.transfer == Transfer::QuotedPrintable) {
        bytes = DecodeQuotedPrintable(line.value);
    } else if (line.transfer == Transfer::Base64) {
        std::optional<std::string> decoded = DecodeBase64(line.value);
        if (!decoded) {
            return std::nullopt;
        }
        bytes = std::move(*decoded);
    } else {
        bytes = line.value;
    }
    return ToUtf8(std::move(bytes), context.unicodeFile ? std::string_view() : line.charset);
}

// True when the value needs no decoding at all: the common case.
bool IsPlain(const ContentLine& line, const DecodeContext& context) {
    if (line.transfer != Transfer::None || !(context.unicodeFile || line.charset.empty() ||
                                             IsOneOf(line.charset, {"UTF-8", "UTF8"}))) {
        return false;
    }
    for (char c : line.value) {
        if (c == '\\' || c == '\x06' || static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Removes the escapes of the line's version and makes every line break
// CR LF. In 2.1 only "\;" in a compound value is an escape.
std::string Unescape(std::string_view s, Version version, bool compound, bool qp) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\\' && i + 1 < s.size()) {
            const char next = s[i + 1];
            if (version == Version::V21) {
                if (compound && next == ';') {
                    out.push_back(';');
                    ++i;
                } else {
                    out.push_back('\\');
                }
                continue;
            }
            if (next == 'n' || next == 'N') {
                out.append("\r\n");
            } else if (next == '\\' || next == ',' || next == ';' || next == ':') {
                out.push_back(next);
            } else {
                out.push_back('\\');
                out.push_back(next);
            }
            ++i;
        } else if (c == '\r' || c == '\n' || (c == '\x06' && !qp)) {
            // 0x06 is how Quorvel writes a line break outside quoted-printable.
            out.append("\r\n");
            if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
                ++i;
            }
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::vector<std::string_view> SplitAtSemicolons(std::string_view s, Version version) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && (version != Version::V21 || s[i + 1] == ';')) {
            ++i;
        } else if (s[i] == ';') {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(s.substr(std::min(start, s.size())));
    return parts;
}

Version VersionOf(std::string_view value) {
    value = TrimBlanks(value);
    return value == "2.1" ? Version::V21 : value == "4.0" ? Version::V40 : Version::V30;
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i])) {
            return false;
        }
    }
    return true;
}

bool IsCardMarker(std::string_view line, std::string_view marker) {
    if (line.size() < marker.size() || (Upper(line[0]) != marker[0] && !IsBlank(line[0]))) {
        return false;  // most lines, at once
    }
    return EqualsNoCase(TrimBlanks(line), marker);
}

bool StartsProperty(std::string_view line) {
    std::size_t i = 0;
    std::size_t nameStart = 0;
    while (i < line.size() && line[i] != ';' && line[i] != ':') {
        const char c = line[i];
        if (c == '.') {
            nameStart = i + 1;
        } else if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '_')) {
            return false;
        }
        ++i;
    }
    return i < line.size() && line.find(':', i) != std::string_view::npos &&
           IsKnownName(line.substr(nameStart, i - nameStart));
}

bool ContentLine::HasType(std::string_view type) const {
    return std::find(types.begin(), types.end(), type) != types.end();
}

CardLines SplitContentLines(std::string_view body) {
    CardLines out;
    out.lines.reserve(static_cast<std::size_t>(std::count(body.begin(), body.end(), '\n')) + 1);
    std::string_view current;
    std::string* joined = nullptr;  // the current line's text once unfolded
    bool open = false;
    std::optional<bool> quotedPrintable;  // of the current line, once its head is whole
    int nested = 0;
    const auto text = [&]() { return joined ? std::string_view(*joined) : current; };
    const auto append = [&](std::string_view more, bool dropSoftBreak) {
        if (joined == nullptr) {
            joined = out.joined.emplace_back(std::make_unique<std::string>(current)).get();
        }
        if (dropSoftBreak) {
            joined->pop_back();
        }
        joined->append(more);
    };
    const auto isQuotedPrintable = [&]() {
        if (!quotedPrintable) {
            std::optional<ContentLine> head = ParseLine(text());
            if (!head) {
                return false;  // the head is not whole yet
            }
            quotedPrintable = head->transfer == Transfer::QuotedPrintable;
        }
        return *quotedPrintable;
    };
    const auto finish = [&]() {
        if (!open) {
            return;
        }
        open = false;
        const std::string_view t = text();
        std::optional<ContentLine> line = ParseLine(t);
        if (!line) {
            out.stray.push_back(t);
            return;
        }
        if (line->name == "VERSION") {
            out.version = VersionOf(line->value);
        }
        out.lines.push_back(std::move(*line));
    };
    std::size_t pos = 0;
    while (pos < body.size()) {
        std::size_t end = body.find('\n', pos);
        if (end == std::string_view::npos) {
            end = body.size();
        }
        std::string_view line = body.substr(pos, end - pos);
        pos = end + 1;
        if (nested > 0) {
            nested += IsCardMarker(line, "BEGIN:VCARD") ? 1 : 0;
            nested -= IsCardMarker(line, "END:VCARD") ? 1 : 0;
            continue;
        }
        if (line.empty()) {
            finish();  // an empty line ends a value, quoted-printable too
            continue;
        }
        // A soft line break takes the next line whole, its leading blank too.
        if (open && text().back() == '=' && !StartsProperty(line) && isQuotedPrintable()) {
            append(line, true);
            continue;
        }
        if (open && (line[0] == ' ' || line[0] == '\t')) {
            append(line.substr(1), false);
            continue;
        }
        finish();
        if (IsCardMarker(line, "BEGIN:VCARD")) {
            nested = 1;  // a 2.1 AGENT's card
            continue;
        }
        while (!line.empty() && IsBlank(line.front())) {
            line.remove_prefix(1);
        }
        if (line.empty()) {
            continue;
        }
        open = true;
        current = line;
        joined = nullptr;
        quotedPrintable.reset();
    }
    finish();
    return out;
}

std::string PlainTextToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::size_t len = Utf8SequenceLength(bytes);
        if (len == 0) {
            AppendCp1252(out, bytes.front());
            bytes.remove_prefix(1);
        } else {
            out.append(bytes.substr(0, len));
            bytes.remove_prefix(len);
        }
    }
    return out;
}

std::optional<std::string> DecodeText(const ContentLine& line, const DecodeContext& context) {
    if (IsPlain(line, context)) {
        return std::string(line.value);
    }
    std::optional<std::string> text = TransferAndCharset(line, context);
    if (!text) {
        return std::nullopt;
    }
    return Unescape(*text, context.version, false, line.transfer == Transfer::QuotedPrintable);
}

std::optional<std::vector<std::string>> DecodeComponents(const ContentLine& line,
                                                         const DecodeContext& context) {
    std::optional<std::string> text;
    if (!IsPlain(line, context)) {
        text = TransferAndCharset(line, context);
        if (!text) {
            return std::nullopt;
        }
    }
    const std::string_view whole = text ? std::string_view(*text) : line.value;
    std::vector<std::string> out;
    for (std::string_view part : SplitAtSemicolons(whole, context.version)) {
        out.push_back(
            Unescape(part, context.version, true, line.transfer == Transfer::QuotedPrintable));
    }
    return out;
}

}  // namespace wab32::vcard
