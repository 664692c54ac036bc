// The on-disk form of a book: identification, schema, entry ids and the
// encoding of an entry's property list. Pure functions, no SQLite calls.
#pragma once

#include "properties/WabDefs.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wab32 {

// PRAGMA application_id of every book: "QWAB".
inline constexpr std::int32_t kBookApplicationId = 0x51574142;
inline constexpr int kBookSchemaVersion = 1;

// Statements that create the tables of an empty book.
extern const char* const kBookSchemaSql;

// Entry ids are 8 bytes: "QWB", a kind byte, then the entry's row id as
// 32-bit little endian (0 for the personal address book itself).
inline constexpr ULONG kEntryIdSize = 8;
enum class EntryKind : char { Container = 'P', Entry = 'E' };

struct DecodedEntryId {
    EntryKind kind;
    std::uint32_t rowId;
};

void EncodeEntryId(EntryKind kind, std::uint32_t rowId, BYTE out[kEntryIdSize]);
std::optional<DecodedEntryId> DecodeEntryId(ULONG cb, const BYTE* lpb);

// One property as a book stores it. Which member holds the value follows
// from the tag's type: bytes (PT_STRING8, PT_BINARY), values (PT_MV_STRING8),
// filetime (PT_SYSTIME) or integer (PT_LONG).
struct StoredProperty {
    ULONG tag = 0;
    std::string bytes;
    std::vector<std::string> values;
    std::uint64_t filetime = 0;
    std::int32_t integer = 0;
};

bool IsStorableType(ULONG propType);

// Appends one property record to an entry's property blob.
void AppendProperty(std::string& blob, const StoredProperty& prop);

// One record of a blob, pointing into it. For PT_MV_STRING8, `data` holds the
// count values, each as a 32-bit length and its bytes.
struct PropertyView {
    ULONG tag = 0;
    std::string_view data;
    std::uint32_t count = 0;
    std::uint64_t filetime = 0;
    std::int32_t integer = 0;
};

// Walks a property blob record by record; a record that does not fit or has
// an unknown type makes the reader fail (the blob is damaged).
class PropertyBlobReader {
  public:
    explicit PropertyBlobReader(std::string_view blob) : m_rest(blob) {}
    // True and fills `out` for the next record; false at the end or on damage.
    bool Next(PropertyView& out);
    bool Damaged() const { return m_damaged; }

  private:
    std::string_view m_rest;
    bool m_damaged = false;
};

// Reads the values of a PT_MV_STRING8 record's data one by one.
class MultiValueReader {
  public:
    explicit MultiValueReader(std::string_view data) : m_rest(data) {}
    bool Next(std::string_view& value);

  private:
    std::string_view m_rest;
};

// Decodes a whole blob; nullopt when it is damaged.
std::optional<std::vector<StoredProperty>> DecodeProperties(std::string_view blob);

// The display name a book lists an entry by: the last PR_DISPLAY_NAME_A.
std::optional<std::string> DisplayNameOf(const std::vector<StoredProperty>& props);

}  // namespace wab32
