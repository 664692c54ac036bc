#include "wab32/Container.h"

#include "wab32/ContentsTable.h"
#include "wab32/PropertyBlock.h"

#include <new>

namespace wab32 {

CWabContainer::CWabContainer(std::shared_ptr<CBookStore> store) : m_store(std::move(store)) {
    StoredProperty name;
    name.tag = PR_DISPLAY_NAME_A;
    name.bytes = kPersonalAddressBookName;
    AppendProperty(m_blob, name);
    StoredProperty type;
    type.tag = PR_OBJECT_TYPE;
    type.integer = static_cast<std::int32_t>(MAPI_ABCONT);
    AppendProperty(m_blob, type);
    StoredProperty id;
    id.tag = PR_ENTRYID;
    BYTE bytes[kEntryIdSize];
    EncodeEntryId(EntryKind::Container, 0, bytes);
    id.bytes.assign(reinterpret_cast<const char*>(bytes), kEntryIdSize);
    AppendProperty(m_blob, id);
}

HRESULT CWabContainer::GetProps(const SPropTagArray* lpPropTagArray, ULONG /*ulFlags*/,
                                ULONG* lpcValues, SPropValue** lppPropArray) {
    if (lpcValues == nullptr || lppPropArray == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    *lpcValues = 0;
    *lppPropArray = nullptr;
    const HRESULT selected = SelectProperties(m_blob, lpPropTagArray, m_views);
    if (FAILED(selected)) {
        return selected;
    }
    const HRESULT built = BuildPropertyBlock(m_views, lppPropArray);
    if (FAILED(built)) {
        return built;
    }
    *lpcValues = static_cast<ULONG>(m_views.size());
    return selected;
}

HRESULT CWabContainer::GetContentsTable(ULONG /*ulFlags*/, IMAPITable** lppTable) {
    if (lppTable == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    *lppTable = nullptr;
    auto* table = new (std::nothrow) CWabContentsTable(m_store);
    if (table == nullptr) {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
    if (!table->Ready()) {
        const HRESULT hr = ResultOfSqlite(sqlite3_errcode(m_store->Db()));
        table->Release();
        return hr;
    }
    *lppTable = table;
    return S_OK;
}

ULONG CWabContainer::Release() {
    const ULONG left = m_ref.Drop();
    if (left == 0) {
        delete this;
    }
    return left;
}

}  // namespace wab32
