#include "wab32/BookFormat.h"
#include "properties/PropertyTags.h"

#include <cstring>

namespace wab32 {

const char* const kBookSchemaSql = R"sql(
CREATE TABLE book_format (
    schema_version INTEGER NOT NULL
);
CREATE TABLE entries (
    id INTEGER PRIMARY KEY,
    stored_order INTEGER NOT NULL,
    object_type INTEGER NOT NULL,
    display_name BLOB,
    sort_key BLOB NOT NULL,
    props BLOB NOT NULL
);
CREATE INDEX entries_by_name ON entries (sort_key, stored_order, object_type, display_name);
)sql";

namespace {

void PutU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFFu));
    }
}

std::uint32_t GetU32(const char* p) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(p[i]);
    }
    return v;
}

bool TakeU32(std::string_view& rest, std::uint32_t& v) {
    if (rest.size() < 4) {
        return false;
    }
    v = GetU32(rest.data());
    rest.remove_prefix(4);
    return true;
}

bool TakeBytes(std::string_view& rest, std::string_view& bytes) {
    std::uint32_t len = 0;
    if (!TakeU32(rest, len) || rest.size() < len) {
        return false;
    }
    bytes = rest.substr(0, len);
    rest.remove_prefix(len);
    return true;
}

}  // namespace

void EncodeEntryId(EntryKind kind, std::uint32_t rowId, BYTE out[kEntryIdSize]) {
    out[0] = 'Q';
    out[1] = 'W';
    out[2] = 'B';
    out[3] = static_cast<BYTE>(kind);
    for (int i = 0; i < 4; ++i) {
        out[4 + i] = static_cast<BYTE>((rowId >> (8 * i)) & 0xFFu);
    }
}

std::optional<DecodedEntryId> DecodeEntryId(ULONG cb, const BYTE* lpb) {
    if (cb != kEntryIdSize || lpb == nullptr || lpb[0] != 'Q' || lpb[1] != 'W' || lpb[2] != 'B') {
        return std::nullopt;
    }
    const std::uint32_t rowId = GetU32(reinterpret_cast<const char*>(lpb + 4));
    if (lpb[3] == static_cast<BYTE>(EntryKind::Container) && rowId == 0) {
        return DecodedEntryId{EntryKind::Container, 0};
    }
    if (lpb[3] == static_cast<BYTE>(EntryKind::Entry) && rowId != 0) {
        return DecodedEntryId{EntryKind::Entry, rowId};
    }
    return std::nullopt;
}

bool IsStorableType(ULONG propType) {
    return propType == PT_STRING8 || propType == PT_BINARY || propType == PT_MV_STRING8 ||
           propType == PT_SYSTIME || propType == PT_LONG;
}

void AppendProperty(std::string& blob, const StoredProperty& prop) {
    PutU32(blob, prop.tag);
    switch (PROP_TYPE(prop.tag)) {
        case PT_STRING8:
        case PT_BINARY:
            PutU32(blob, static_cast<std::uint32_t>(prop.bytes.size()));
            blob.append(prop.bytes);
            break;
        case PT_MV_STRING8:
            PutU32(blob, static_cast<std::uint32_t>(prop.values.size()));
            for (const std::string& v : prop.values) {
                PutU32(blob, static_cast<std::uint32_t>(v.size()));
                blob.append(v);
            }
            break;
        case PT_SYSTIME:
            PutU32(blob, static_cast<std::uint32_t>(prop.filetime & 0xFFFFFFFFu));
            PutU32(blob, static_cast<std::uint32_t>(prop.filetime >> 32));
            break;
        default:  // PT_LONG
            PutU32(blob, static_cast<std::uint32_t>(prop.integer));
            break;
    }
}

bool PropertyBlobReader::Next(PropertyView& out) {
    if (m_damaged || m_rest.empty()) {
        return false;
    }
    out = PropertyView{};
    std::uint32_t tag = 0;
    bool ok = TakeU32(m_rest, tag);
    out.tag = tag;
    if (ok) {
        switch (PROP_TYPE(tag)) {
            case PT_STRING8:
            case PT_BINARY:
                ok = TakeBytes(m_rest, out.data);
                break;
            case PT_MV_STRING8: {
                ok = TakeU32(m_rest, out.count);
                const std::string_view start = m_rest;
                std::string_view value;
                for (std::uint32_t i = 0; ok && i < out.count; ++i) {
                    ok = TakeBytes(m_rest, value);
                }
                if (ok) {
                    out.data = start.substr(0, start.size() - m_rest.size());
                }
                break;
            }
            case PT_SYSTIME: {
                std::uint32_t low = 0;
                std::uint32_t high = 0;
                ok = TakeU32(m_rest, low) && TakeU32(m_rest, high);
                out.filetime = (static_cast<std::uint64_t>(high) << 32) | low;
                break;
            }
            case PT_LONG: {
                std::uint32_t v = 0;
                ok = TakeU32(m_rest, v);
                out.integer = static_cast<std::int32_t>(v);
                break;
            }
            default:
                ok = false;
                break;
        }
    }
    if (!ok) {
        m_damaged = true;
        return false;
    }
    return true;
}

bool MultiValueReader::Next(std::string_view& value) {
    return TakeBytes(m_rest, value);
}

std::optional<std::vector<StoredProperty>> DecodeProperties(std::string_view blob) {
    std::vector<StoredProperty> props;
    PropertyBlobReader reader(blob);
    PropertyView view;
    while (reader.Next(view)) {
        StoredProperty prop;
        prop.tag = view.tag;
        prop.filetime = view.filetime;
        prop.integer = view.integer;
        if (PROP_TYPE(view.tag) == PT_MV_STRING8) {
            MultiValueReader values(view.data);
            std::string_view v;
            while (values.Next(v)) {
                prop.values.emplace_back(v);
            }
        } else {
            prop.bytes.assign(view.data);
        }
        props.push_back(std::move(prop));
    }
    if (reader.Damaged()) {
        return std::nullopt;
    }
    return props;
}

std::optional<std::string> DisplayNameOf(const std::vector<StoredProperty>& props) {
    std::optional<std::string> name;
    for (const StoredProperty& p : props) {
        if (p.tag == PR_DISPLAY_NAME_A) {
            name = p.bytes;
        }
    }
    return name;
}

}  // namespace wab32
