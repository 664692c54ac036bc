#include "wab32/vcard/VCardLine.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace wab32::vcard {

namespace {

// Stands, inside a value, for the line end before a line that has no colon:
// a line feed the writer left in the value, kept as that one byte. A NUL byte
// of the card itself makes the card unreadable, so it cannot be confused.
constexpr char kRawLineBreak = '\0';

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

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

bool IsCardMarker(std::string_view line, std::string_view marker) {
    return EqualsNoCase(TrimRight(line), marker);
}

// Splits at `sep` outside double quotes.
std::vector<std::string_view> SplitUnquoted(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '"') {
            quoted = !quoted;
        } else if (s[i] == sep && !quoted) {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(s.substr(start));
    return parts;
}

std::string_view Unquote(std::string_view s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') {
        return s.substr(1, s.size() - 2);
    }
    return s;
}

// Where the value starts: one past the first colon outside quotes.
std::size_t ColonOf(std::string_view line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == ':' && !quoted) {
            return i;
        }
    }
    return std::string_view::npos;
}

void AddParameter(ContentLine& line, std::string_view param) {
    const std::size_t eq = param.find('=');
    if (eq == std::string_view::npos) {
        const std::string bare = UpperCase(Unquote(param));
        if (bare == "QUOTED-PRINTABLE" || bare == "BASE64" || bare == "8BIT" || bare == "7BIT") {
            line.encoding = bare;
        } else if (bare == "PREF") {
            line.prefRank = 1;
        } else if (!bare.empty()) {
            line.types.push_back(bare);
        }
        return;
    }
    const std::string key = UpperCase(param.substr(0, eq));
    const std::string_view value = param.substr(eq + 1);
    if (key == "TYPE") {
        for (std::string_view t : SplitUnquoted(Unquote(value), ',')) {
            const std::string type = UpperCase(Unquote(t));
            if (type == "PREF") {
                line.prefRank = 1;
            } else if (!type.empty()) {
                line.types.push_back(type);
            }
        }
    } else if (key == "ENCODING") {
        line.encoding = UpperCase(Unquote(value));
    } else if (key == "CHARSET") {
        line.charset = std::string(Unquote(value));
    } else if (key == "PREF") {
        const int rank = std::atoi(std::string(Unquote(value)).c_str());
        line.prefRank = rank >= 1 && rank <= 100 ? rank : 100;
    }
}

std::optional<ContentLine> ParseLine(std::string_view text) {
    const std::size_t colon = ColonOf(text);
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const std::vector<std::string_view> head = SplitUnquoted(text.substr(0, colon), ';');
    std::string_view name = TrimRight(head[0]);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) {
        name.remove_prefix(dot + 1);
    }
    if (name.empty()) {
        return std::nullopt;
    }
    ContentLine line;
    line.name = UpperCase(name);
    for (std::size_t i = 1; i < head.size(); ++i) {
        AddParameter(line, head[i]);
    }
    line.value = std::string(text.substr(colon + 1));
    return line;
}

bool IsQuotedPrintableLine(std::string_view text) {
    const std::size_t colon = ColonOf(text);
    if (colon == std::string_view::npos) {
        return false;
    }
    const std::string head = UpperCase(text.substr(0, colon));
    return head.find("QUOTED-PRINTABLE") != std::string::npos;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char u = Upper(c);
    return (u >= 'A' && u <= 'F') ? u - 'A' + 10 : -1;
}

// "=" followed by two hex digits is that byte; any other "=" stays as it is.
std::string DecodeQuotedPrintable(std::string_view s) {
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

std::string Unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out.push_back(s[i]);
            continue;
        }
        const char next = s[i + 1];
        if (next == 'n' || next == 'N') {
            out.push_back('\n');
        } else if (next == '\\' || next == ',' || next == ';' || next == ':') {
            out.push_back(next);
        } else {
            out.push_back('\\');
            out.push_back(next);
        }
        ++i;
    }
    return out;
}

std::optional<std::string> ToUtf8(const std::string& text, const std::string& charset) {
    if (charset.empty() || EqualsNoCase(charset, "UTF-8") || EqualsNoCase(charset, "UTF8") ||
        text.empty()) {
        return text;
    }
    iconv_t cd = iconv_open("UTF-8", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* dst = out.data();
    std::size_t outLeft = out.size();
    std::size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
    if (rc != static_cast<std::size_t>(-1)) {
        rc = iconv(cd, nullptr, nullptr, &dst, &outLeft);
    }
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1) || inLeft != 0) {
        return std::nullopt;
    }
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

bool ContentLine::HasType(std::string_view type) const {
    for (const std::string& t : types) {
        if (t == type) {
            return true;
        }
    }
    return false;
}

std::optional<std::vector<ContentLine>> SplitContentLines(std::string_view body) {
    if (body.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    std::vector<std::string> logical;
    int nested = 0;
    std::size_t pos = 0;
    while (pos <= body.size()) {
        std::size_t end = body.find('\n', pos);
        if (end == std::string_view::npos) {
            end = body.size();
        }
        const std::string_view line = body.substr(pos, end - pos);
        pos = end + 1;
        if (nested > 0 || IsCardMarker(line, "BEGIN:VCARD")) {
            nested += IsCardMarker(line, "BEGIN:VCARD") ? 1 : 0;
            nested -= IsCardMarker(line, "END:VCARD") ? 1 : 0;
            continue;
        }
        if (line.empty()) {
            continue;
        }
        if (logical.empty()) {
            logical.emplace_back(line);
        } else if (line[0] == ' ' || line[0] == '\t') {
            logical.back().append(line.substr(1));
        } else if (logical.back().back() == '=' && IsQuotedPrintableLine(logical.back())) {
            logical.back().pop_back();
            logical.back().append(line);
        } else if (ColonOf(line) == std::string_view::npos) {
            logical.back().push_back(kRawLineBreak);
            logical.back().append(line);
        } else {
            logical.emplace_back(line);
        }
    }
    std::vector<ContentLine> lines;
    lines.reserve(logical.size());
    for (const std::string& text : logical) {
        std::optional<ContentLine> line = ParseLine(text);
        if (!line) {
            return std::nullopt;
        }
        lines.push_back(std::move(*line));
    }
    return lines;
}

std::vector<std::string_view> SplitComponents(std::string_view raw) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\') {
            ++i;
        } else if (raw[i] == ';') {
            parts.push_back(raw.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(raw.substr(std::min(start, raw.size())));
    return parts;
}

std::optional<std::string> DecodeValue(const ContentLine& line, std::string_view raw) {
    const bool qp = line.QuotedPrintable();
    if (line.charset.empty() || EqualsNoCase(line.charset, "UTF-8")) {
        bool plain = true;
        for (char c : raw) {
            plain = plain && c != '\\' && c != '\x06' && c != '\r' && c != '\n' &&
                    c != kRawLineBreak && (c != '=' || !qp);
        }
        if (plain) {
            return std::string(raw);  // the common case: nothing to decode
        }
    }
    std::string text = Unescape(qp ? DecodeQuotedPrintable(raw) : std::string(raw));
    if (!qp) {
        for (char& c : text) {
            c = c == '\x06' ? '\n' : c;
        }
    }
    std::optional<std::string> utf8 = ToUtf8(text, line.charset);
    if (!utf8) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(utf8->size());
    for (std::size_t i = 0; i < utf8->size(); ++i) {
        const char c = (*utf8)[i];
        if (c == kRawLineBreak) {
            out.push_back('\n');
        } else if (c == '\r' || c == '\n') {
            out.append("\r\n");
            if (c == '\r' && i + 1 < utf8->size() && (*utf8)[i + 1] == '\n') {
                ++i;
            }
        } else {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace wab32::vcard
