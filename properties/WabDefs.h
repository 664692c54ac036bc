// Records, property types and result codes of the address-book library, as
// this program uses them; PropertyTags.h names the tags. Written for Quorvel;
// the layouts are the library's own (libwab32.so), not those of any other
// implementation.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

using HRESULT = std::int32_t;
using BOOL = std::int32_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using BYTE = std::uint8_t;
using ENTRYID = BYTE;  // an entry id is an opaque run of bytes

// Result codes: negative is failure, 0 is success, positive is a warning.
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT MAPI_W_ERRORS_RETURNED = 0x00040380;
inline constexpr HRESULT MAPI_E_CALL_FAILED = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT MAPI_E_NO_SUPPORT = static_cast<HRESULT>(0x80040102u);
inline constexpr HRESULT MAPI_E_INVALID_ENTRYID = static_cast<HRESULT>(0x80040107u);
inline constexpr HRESULT MAPI_E_INVALID_OBJECT = static_cast<HRESULT>(0x80040108u);
inline constexpr HRESULT MAPI_E_OBJECT_CHANGED = static_cast<HRESULT>(0x80040109u);
inline constexpr HRESULT MAPI_E_NOT_FOUND = static_cast<HRESULT>(0x8004010Fu);
inline constexpr HRESULT MAPI_E_VERSION = static_cast<HRESULT>(0x80040110u);
inline constexpr HRESULT MAPI_E_CORRUPT_DATA = static_cast<HRESULT>(0x8004011Bu);
inline constexpr HRESULT MAPI_E_NO_ACCESS = static_cast<HRESULT>(0x80070005u);
inline constexpr HRESULT MAPI_E_NOT_ENOUGH_MEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT MAPI_E_INVALID_PARAMETER = static_cast<HRESULT>(0x80070057u);

inline constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

// A result code, or any 32-bit tag, as messages and dumps show it: "0x8004010F".
inline std::string HexCode(ULONG code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
    return text;
}

// Property tag: id in the high 16 bits, type in the low 16 bits.
constexpr ULONG PROP_TAG(ULONG type, ULONG id) {
    return (id << 16) | type;
}
constexpr ULONG PROP_ID(ULONG tag) {
    return tag >> 16;
}
constexpr ULONG PROP_TYPE(ULONG tag) {
    return tag & 0xFFFFu;
}

inline constexpr ULONG PT_LONG = 0x0003;
inline constexpr ULONG PT_ERROR = 0x000A;
inline constexpr ULONG PT_STRING8 = 0x001E;
inline constexpr ULONG PT_SYSTIME = 0x0040;
inline constexpr ULONG PT_BINARY = 0x0102;
inline constexpr ULONG MV_FLAG = 0x1000;
inline constexpr ULONG PT_MV_STRING8 = MV_FLAG | PT_STRING8;

// Object types (the value of PR_OBJECT_TYPE).
inline constexpr ULONG MAPI_ABCONT = 4;
inline constexpr ULONG MAPI_MAILUSER = 6;
inline constexpr ULONG MAPI_DISTLIST = 8;

inline constexpr ULONG BOOKMARK_BEGINNING = 0;

// 100-nanosecond intervals since 1 January 1601, 00:00 UTC, in two halves.
struct FILETIME {
    std::uint32_t dwLowDateTime;
    std::uint32_t dwHighDateTime;
};

struct SBinary {
    ULONG cb;
    BYTE* lpb;
};

struct SLPSTRArray {
    ULONG cValues;
    char** lppszA;
};

union PropValue {
    char* lpszA;        // PT_STRING8
    FILETIME ft;        // PT_SYSTIME
    SLPSTRArray MVszA;  // PT_MV_STRING8
    SBinary bin;        // PT_BINARY
    LONG l;             // PT_LONG
    HRESULT err;        // PT_ERROR
};

struct SPropValue {
    ULONG ulPropTag;
    ULONG dwAlignPad;
    PropValue Value;
};

// A column set: a count and that many tags.
struct SPropTagArray {
    ULONG cValues;
    const ULONG* aulPropTag;
};

struct SRow {
    ULONG ulAdrEntryPad;
    ULONG cValues;
    SPropValue* lpProps;
};

// A row set holds cRows rows; the library allocates room for all of them
// after the count (aRow is the first).
struct SRowSet {
    ULONG cRows;
    SRow aRow[1];
};
