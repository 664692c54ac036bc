#include "wab32/AddressBook.h"

#include "wab32/BookFormat.h"
#include "wab32/Container.h"
#include "wab32/MailUser.h"
#include "wab32/PropertyBlock.h"
#include "wab32/WabAllocator.h"

#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <new>

namespace wab32 {

namespace {

// The directory this library was loaded from, where the details module lies.
std::filesystem::path OwnDirectory() {
    Dl_info info{};
    static const int anchor = 0;
    if (dladdr(&anchor, &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    return std::filesystem::path(info.dli_fname).parent_path();
}

}  // namespace

CWabAddrBook::CWabAddrBook(std::shared_ptr<CBookStore> store) : m_store(std::move(store)) {}

HRESULT CWabAddrBook::GetPAB(ULONG* lpcbEntryID, ENTRYID** lppEntryID) {
    if (lpcbEntryID == nullptr || lppEntryID == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    *lpcbEntryID = 0;
    void* block = nullptr;
    const HRESULT hr = AllocateBlock(kEntryIdSize, &block);
    *lppEntryID = static_cast<ENTRYID*>(block);
    if (FAILED(hr)) {
        return hr;
    }
    EncodeEntryId(EntryKind::Container, 0, *lppEntryID);
    *lpcbEntryID = kEntryIdSize;
    return S_OK;
}

HRESULT CWabAddrBook::OpenEntry(ULONG cbEntryID, const ENTRYID* lpEntryID,
                                const void* /*lpInterface*/, ULONG /*ulFlags*/, ULONG* lpulObjType,
                                IUnknown** lppUnk) {
    if (lppUnk == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    *lppUnk = nullptr;
    if (lpulObjType != nullptr) {
        *lpulObjType = 0;
    }
    const std::optional<DecodedEntryId> id = DecodeEntryId(cbEntryID, lpEntryID);
    if (!id) {
        return MAPI_E_INVALID_ENTRYID;
    }
    if (id->kind == EntryKind::Container) {
        auto* container = new (std::nothrow) CWabContainer(m_store);
        if (container == nullptr) {
            return MAPI_E_NOT_ENOUGH_MEMORY;
        }
        *lppUnk = container;
        if (lpulObjType != nullptr) {
            *lpulObjType = MAPI_ABCONT;
        }
        return S_OK;
    }
    ULONG objectType = 0;
    std::string blob;
    const HRESULT hr = m_store->ReadEntry(id->rowId, objectType, blob);
    if (FAILED(hr)) {
        return hr;
    }
    auto* user = new (std::nothrow) CWabMailUser(std::move(blob));
    if (user == nullptr) {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
    *lppUnk = user;
    if (lpulObjType != nullptr) {
        *lpulObjType = objectType;
    }
    return S_OK;
}

WabShowDetailsFn CWabAddrBook::LoadDetailsModule() {
    if (m_showDetails != nullptr) {
        return m_showDetails;
    }
    const std::filesystem::path beside = OwnDirectory() / kDetailsModuleName;
    void* module = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        module = dlopen(kDetailsModuleName, RTLD_NOW | RTLD_LOCAL);
    }
    if (module == nullptr) {
        return nullptr;
    }
    // The module stays loaded: Qt's libraries are not made to be unloaded.
    m_showDetails = reinterpret_cast<WabShowDetailsFn>(dlsym(module, kDetailsExport));
    return m_showDetails;
}

HRESULT CWabAddrBook::Details(std::uintptr_t* /*lpulUIParam*/, DismissCallback lpfnDismiss,
                              void* lpvDismissContext, ULONG cbEntryID, const ENTRYID* lpEntryID,
                              ButtonCallback /*lpfButtonCallback*/, void* /*lpvButtonContext*/,
                              const char* /*lpszButtonText*/, ULONG /*ulFlags*/) {
    const std::optional<DecodedEntryId> id = DecodeEntryId(cbEntryID, lpEntryID);
    if (!id || id->kind != EntryKind::Entry) {
        return MAPI_E_INVALID_ENTRYID;
    }
    ULONG objectType = 0;
    HRESULT hr = m_store->ReadEntry(id->rowId, objectType, m_blob);
    if (FAILED(hr)) {
        return hr;
    }
    std::vector<PropertyView> views;
    hr = SelectProperties(m_blob, nullptr, views);
    if (FAILED(hr)) {
        return hr;
    }
    SPropValue* props = nullptr;
    hr = BuildPropertyBlock(views, &props);
    if (FAILED(hr)) {
        return hr;
    }
    const WabShowDetailsFn show = LoadDetailsModule();
    hr = show != nullptr ? show(props, static_cast<ULONG>(views.size()), objectType)
                         : MAPI_E_NO_SUPPORT;
    FreeBlock(props);
    if (!FAILED(hr) && lpfnDismiss != nullptr) {
        lpfnDismiss(0, lpvDismissContext);
    }
    return hr;
}

}  // namespace wab32
