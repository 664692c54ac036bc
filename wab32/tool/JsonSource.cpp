#include "wab32/tool/JsonSource.h"

#include "platform/FileIdentity.h"
#include "platform/InputPath.h"
#include "properties/PropertyTags.h"
#include "wab32/PropertyNames.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace wab32 {

namespace {

using nlohmann::json;

// What a source may be: far more than an address book needs, far less than
// a machine's memory.
constexpr std::size_t kMaxSourceBytes = 64u << 20;
// An entry's "values" list is the sixth level of a source.
constexpr int kMaxNesting = 8;

struct BadMember {
    std::string what;
};

bool ParseHexU64(std::string_view text, std::uint64_t& v) {
    if (text.empty()) {
        return false;
    }
    const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 16);
    return ec == std::errc() && p == text.data() + text.size();
}

ULONG ParseTag(const json& tag) {
    if (!tag.is_string()) {
        throw BadMember{"\"tag\" must be a string such as \"" + HexCode(PR_GIVEN_NAME) + "\""};
    }
    const std::string text = tag.get<std::string>();
    std::uint64_t v = 0;
    if (text.size() < 3 || (text.compare(0, 2, "0x") != 0 && text.compare(0, 2, "0X") != 0) ||
        !ParseHexU64(std::string_view(text).substr(2), v) || v > 0xFFFFFFFFu) {
        throw BadMember{"bad tag \"" + text + "\" (expected 0x and up to 8 hex digits)"};
    }
    return static_cast<ULONG>(v);
}

std::string ParseHexBytes(const json& hex) {
    if (!hex.is_string()) {
        throw BadMember{"\"hex\" must be a string of hex digits"};
    }
    const std::string text = hex.get<std::string>();
    if (text.size() % 2 != 0) {
        throw BadMember{"\"hex\" has an odd number of digits"};
    }
    std::string bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        std::uint64_t v = 0;
        if (!ParseHexU64(std::string_view(text).substr(i, 2), v)) {
            throw BadMember{"\"hex\" holds a character that is not a hex digit"};
        }
        bytes.push_back(static_cast<char>(v));
    }
    return bytes;
}

std::uint64_t ParseFiletime(const json& ft) {
    if (ft.is_number_unsigned()) {
        return ft.get<std::uint64_t>();
    }
    if (!ft.is_string()) {
        throw BadMember{"\"filetime\" must be a decimal or 0x-hex string"};
    }
    const std::string text = ft.get<std::string>();
    std::uint64_t v = 0;
    bool ok = false;
    if (text.size() > 2 && (text.compare(0, 2, "0x") == 0 || text.compare(0, 2, "0X") == 0)) {
        ok = ParseHexU64(std::string_view(text).substr(2), v);
    } else if (!text.empty()) {
        const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 10);
        ok = ec == std::errc() && p == text.data() + text.size();
    }
    if (!ok) {
        throw BadMember{"bad filetime \"" + text + "\" (expected a 64-bit count)"};
    }
    return v;
}

void RequireNoNul(const std::string& s) {
    if (s.find('\0') != std::string::npos) {
        throw BadMember{"an 8-bit string cannot hold a zero byte"};
    }
}

// The one value member a property of this type takes.
const char* ValueMemberFor(ULONG type) {
    switch (type) {
        case PT_STRING8:
            return "\"value\" or \"hex\"";
        case PT_BINARY:
            return "\"hex\"";
        case PT_MV_STRING8:
            return "\"values\"";
        case PT_SYSTIME:
            return "\"filetime\"";
        default:
            return "\"int\"";
    }
}

StoredProperty ParseProperty(const json& p) {
    if (!p.is_object()) {
        throw BadMember{"a property must be an object"};
    }
    if (!p.contains("tag")) {
        throw BadMember{"missing \"tag\""};
    }
    StoredProperty prop;
    prop.tag = ParseTag(p["tag"]);
    const ULONG type = PROP_TYPE(prop.tag);
    if (!IsStorableType(type)) {
        throw BadMember{"unsupported property type " + PropertyTypeName(type)};
    }
    int members = 0;
    for (const auto& [key, value] : p.items()) {
        if (key == "tag") {
            continue;
        }
        ++members;
        if (key == "value" && type == PT_STRING8 && value.is_string()) {
            prop.bytes = value.get<std::string>();
            RequireNoNul(prop.bytes);
        } else if (key == "hex" && (type == PT_STRING8 || type == PT_BINARY)) {
            prop.bytes = ParseHexBytes(value);
            if (type == PT_STRING8) {
                RequireNoNul(prop.bytes);
            }
        } else if (key == "values" && type == PT_MV_STRING8 && value.is_array()) {
            for (const json& v : value) {
                if (!v.is_string()) {
                    throw BadMember{"\"values\" must hold strings only"};
                }
                prop.values.push_back(v.get<std::string>());
                RequireNoNul(prop.values.back());
            }
        } else if (key == "filetime" && type == PT_SYSTIME) {
            prop.filetime = ParseFiletime(value);
        } else if (key == "int" && type == PT_LONG && value.is_number_integer()) {
            // An unsigned number beyond INT64_MAX would read back as a negative one.
            const bool tooLarge =
                value.is_number_unsigned() &&
                value.get<std::uint64_t>() > static_cast<std::uint64_t>(UINT32_MAX);
            const std::int64_t v = tooLarge ? 0 : value.get<std::int64_t>();
            if (tooLarge || v < INT32_MIN || v > static_cast<std::int64_t>(UINT32_MAX)) {
                throw BadMember{"\"int\" is out of the 32-bit range"};
            }
            prop.integer = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
        } else {
            throw BadMember{"member \"" + key + "\" does not fit type " + PropertyTypeName(type) +
                            " (expected " + ValueMemberFor(type) + ")"};
        }
    }
    if (members != 1) {
        throw BadMember{std::string("expected exactly one value member, ") + ValueMemberFor(type)};
    }
    return prop;
}

ULONG ParseObjectType(const json& type) {
    if (type.is_string()) {
        const std::string t = type.get<std::string>();
        if (t == "mailuser") {
            return MAPI_MAILUSER;
        }
        if (t == "distlist") {
            return MAPI_DISTLIST;
        }
        throw BadMember{"unknown type \"" + t + "\" (expected mailuser, distlist or a number)"};
    }
    if (type.is_number_unsigned() && type.get<std::uint64_t>() <= 0xFFFFFFFFu) {
        return static_cast<ULONG>(type.get<std::uint64_t>());
    }
    throw BadMember{"\"type\" must be \"mailuser\", \"distlist\" or an object type number"};
}

// Reads all of fd, up to kMaxSourceBytes.
bool ReadBounded(int fd, std::string& text, std::string& error) {
    char chunk[64 * 1024];
    while (true) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            error = std::strerror(errno);
            return false;
        }
        if (got == 0) {
            return true;
        }
        if (text.size() + static_cast<std::size_t>(got) > kMaxSourceBytes) {
            error = "larger than " + std::to_string(kMaxSourceBytes >> 20) + " MiB";
            return false;
        }
        text.append(chunk, static_cast<std::size_t>(got));
    }
}

// How deep arrays and objects nest in JSON text (strings skipped), counted
// before the text is parsed so that no depth costs more than its bytes.
int NestingDepth(std::string_view text) {
    int depth = 0;
    int deepest = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            i += c == '\\' ? 1 : 0;
            inString = c != '"';
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

}  // namespace

bool ParseJsonSource(const std::string& text, std::vector<SourceEntry>& entries,
                     std::string& error) {
    entries.clear();
    json doc;
    if (NestingDepth(text) > kMaxNesting) {
        error = "malformed JSON: nested deeper than " + std::to_string(kMaxNesting) + " levels";
        return false;
    }
    try {
        doc = json::parse(text);
    } catch (const json::exception& e) {
        // Not only syntax errors: a number too large for a double is out_of_range.
        error = std::string("malformed JSON: ") + e.what();
        return false;
    }
    if (!doc.is_object() || !doc.contains("entries") || !doc["entries"].is_array()) {
        error = "expected an object with an \"entries\" array";
        return false;
    }
    const json& list = doc["entries"];
    for (std::size_t i = 0; i < list.size(); ++i) {
        const json& e = list[i];
        std::size_t propIndex = 0;
        bool inProps = false;
        try {
            if (!e.is_object()) {
                throw BadMember{"an entry must be an object"};
            }
            SourceEntry entry;
            entry.objectType = e.contains("type") ? ParseObjectType(e["type"]) : MAPI_MAILUSER;
            if (!e.contains("props") || !e["props"].is_array()) {
                throw BadMember{"missing \"props\" array"};
            }
            inProps = true;
            for (const json& p : e["props"]) {
                entry.props.push_back(ParseProperty(p));
                ++propIndex;
            }
            entries.push_back(std::move(entry));
        } catch (const BadMember& bad) {
            error = "entry " + std::to_string(i);
            if (inProps) {
                error += ", property " + std::to_string(propIndex);
            }
            error += ": " + bad.what;
            return false;
        } catch (const json::exception& ex) {
            error = "entry " + std::to_string(i) + ": " + ex.what();
            return false;
        }
    }
    return true;
}

bool LoadJsonSource(const std::filesystem::path& path, std::vector<SourceEntry>& entries,
                    std::string& error) {
    // Standard input ("-", /dev/stdin, /dev/fd/N) is read through its
    // descriptor; any other source must be a regular file, which ends.
    const std::optional<int> own =
        path == "-" ? std::optional<int>(STDIN_FILENO) : OwnDescriptorOf(path.string());
    if (!own) {
        if (const std::optional<InputPathProblem> problem = CheckInputPath(path.string())) {
            error = problem->reason;
            return false;
        }
    }
    const int fd = own ? *own : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    std::string text;
    const bool read = ReadBounded(fd, text, error);
    if (!own) {
        ::close(fd);
    }
    return read && ParseJsonSource(text, entries, error);
}

}  // namespace wab32
