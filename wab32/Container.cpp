#include "wab32/Container.h"
#include "properties/PropertyTags.h"

#include "wab32/ContentsTable.h"
#include "wab32/PropertyBlock.h"

#include <new>

namespace wab32 {

namespace {

// The container's own properties: its name, object type and entry id.
std::string ContainerBlob() {
    std::string blob;
    StoredProperty name;
    name.tag = PR_DISPLAY_NAME_A;
    name.bytes = kPersonalAddressBookName;
    AppendProperty(blob, name);
    StoredProperty type;
    type.tag = PR_OBJECT_TYPE;
    type.integer = static_cast<std::int32_t>(MAPI_ABCONT);
    AppendProperty(blob, type);
    StoredProperty id;
    id.tag = PR_ENTRYID;
    BYTE bytes[kEntryIdSize];
    EncodeEntryId(EntryKind::Container, 0, bytes);
    id.bytes.assign(reinterpret_cast<const char*>(bytes), kEntryIdSize);
    AppendProperty(blob, id);
    return blob;
}

}  // namespace

CWabContainer::CWabContainer(std::shared_ptr<CBookStore> store)
    : CPropertyObject(ContainerBlob()), m_store(std::move(store)) {}

HRESULT CWabContainer::GetContentsTable(ULONG /*ulFlags*/, IMAPITable** lppTable) {
    if (lppTable == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    *lppTable = nullptr;
    ObjectRef<CWabContentsTable> table(new (std::nothrow) CWabContentsTable(m_store));
    if (table == nullptr) {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
    if (!table->Ready()) {
        return ResultOfSqlite(sqlite3_errcode(m_store->Db()));
    }
    *lppTable = table.release();
    return S_OK;
}

}  // namespace wab32
