#include "wab32/PropertyBlock.h"

#include "wab32/WabAllocator.h"

#include <cstring>

namespace wab32 {

namespace {

// Copies the bytes (which may be an empty view without storage) to `out`.
char* CopyBytes(char* out, std::string_view bytes) {
    if (!bytes.empty()) {
        std::memcpy(out, bytes.data(), bytes.size());
    }
    return out + bytes.size();
}

}  // namespace

PropertyView MissingProperty(ULONG tag) {
    PropertyView v;
    v.tag = PROP_TAG(PT_ERROR, PROP_ID(tag));
    v.integer = MAPI_E_NOT_FOUND;
    return v;
}

HRESULT BuildPropertyBlock(std::span<const PropertyView> views, SPropValue** lppProps) {
    *lppProps = nullptr;
    std::uint64_t pointerBytes = 0;
    std::uint64_t dataBytes = 0;
    for (const PropertyView& v : views) {
        switch (PROP_TYPE(v.tag)) {
            case PT_STRING8:
                dataBytes += v.data.size() + 1;
                break;
            case PT_BINARY:
                dataBytes += v.data.size();
                break;
            case PT_MV_STRING8:
                pointerBytes += std::uint64_t{v.count} * sizeof(char*);
                // Each value's 4-byte length becomes its terminator or less.
                dataBytes += v.data.size();
                break;
            default:
                break;
        }
    }
    const std::uint64_t recordBytes = views.size() * sizeof(SPropValue);
    const std::uint64_t total = recordBytes + pointerBytes + dataBytes;
    if (total > kMaxBlockSize) {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
    void* block = nullptr;
    const HRESULT hr = AllocateBlock(static_cast<ULONG>(total), &block);
    if (FAILED(hr)) {
        return hr;
    }
    auto* records = static_cast<SPropValue*>(block);
    auto* pointers = reinterpret_cast<char**>(static_cast<char*>(block) + recordBytes);
    char* data = static_cast<char*>(block) + recordBytes + pointerBytes;
    for (std::size_t i = 0; i < views.size(); ++i) {
        const PropertyView& v = views[i];
        SPropValue& p = records[i];
        p.ulPropTag = v.tag;
        switch (PROP_TYPE(v.tag)) {
            case PT_STRING8:
                p.Value.lpszA = data;
                data = CopyBytes(data, v.data);
                *data++ = '\0';
                break;
            case PT_BINARY:
                p.Value.bin.cb = static_cast<ULONG>(v.data.size());
                p.Value.bin.lpb = v.data.empty() ? nullptr : reinterpret_cast<BYTE*>(data);
                data = CopyBytes(data, v.data);
                break;
            case PT_MV_STRING8: {
                p.Value.MVszA.cValues = v.count;
                p.Value.MVszA.lppszA = v.count == 0 ? nullptr : pointers;
                MultiValueReader values(v.data);
                std::string_view s;
                while (values.Next(s)) {
                    *pointers++ = data;
                    data = CopyBytes(data, s);
                    *data++ = '\0';
                }
                break;
            }
            case PT_SYSTIME:
                p.Value.ft.dwLowDateTime = static_cast<std::uint32_t>(v.filetime & 0xFFFFFFFFu);
                p.Value.ft.dwHighDateTime = static_cast<std::uint32_t>(v.filetime >> 32);
                break;
            case PT_ERROR:
                p.Value.err = v.integer;
                break;
            default:  // PT_LONG
                p.Value.l = v.integer;
                break;
        }
    }
    *lppProps = records;
    return S_OK;
}

HRESULT SelectProperties(std::string_view blob, const SPropTagArray* tags,
                         std::vector<PropertyView>& out) {
    out.clear();
    PropertyBlobReader reader(blob);
    PropertyView view;
    if (tags == nullptr) {
        while (reader.Next(view)) {
            out.push_back(view);
        }
        return reader.Damaged() ? MAPI_E_CORRUPT_DATA : S_OK;
    }
    out.resize(tags->cValues);
    std::vector<bool> found(tags->cValues, false);
    while (reader.Next(view)) {
        for (ULONG i = 0; i < tags->cValues; ++i) {
            const ULONG want = tags->aulPropTag[i];
            const bool match =
                PROP_TYPE(want) == 0 ? PROP_ID(want) == PROP_ID(view.tag) : want == view.tag;
            if (match) {
                out[i] = view;
                found[i] = true;
            }
        }
    }
    if (reader.Damaged()) {
        out.clear();
        return MAPI_E_CORRUPT_DATA;
    }
    HRESULT hr = S_OK;
    for (ULONG i = 0; i < tags->cValues; ++i) {
        if (!found[i]) {
            out[i] = MissingProperty(tags->aulPropTag[i]);
            hr = MAPI_W_ERRORS_RETURNED;
        }
    }
    return hr;
}

// Asks for Unicode strings, which a book does not hold.
inline constexpr ULONG kMapiUnicode = 0x80000000u;

HRESULT GetBlobProps(std::string_view blob, std::vector<PropertyView>& views,
                     const SPropTagArray* lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                     SPropValue** lppPropArray) {
    if (lpcValues == nullptr || lppPropArray == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    *lpcValues = 0;
    *lppPropArray = nullptr;
    if ((ulFlags & kMapiUnicode) != 0) {
        return MAPI_E_NO_SUPPORT;
    }
    if (lpPropTagArray != nullptr && lpPropTagArray->cValues > 0 &&
        lpPropTagArray->aulPropTag == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    const HRESULT selected = SelectProperties(blob, lpPropTagArray, views);
    if (FAILED(selected)) {
        return selected;
    }
    const HRESULT built = BuildPropertyBlock(views, lppPropArray);
    if (FAILED(built)) {
        return built;
    }
    *lpcValues = static_cast<ULONG>(views.size());
    return selected;
}

}  // namespace wab32
