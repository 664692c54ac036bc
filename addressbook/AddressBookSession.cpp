#include "addressbook/AddressBookSession.h"
#include "properties/PropertyTags.h"

#include "platform/DynamicLibrary.h"
#include "platform/InputPath.h"
#include "platform/LocalHeap.h"
#include "platform/WabDllPath.h"

#include <cstring>

namespace {

// The contents table's columns, in the order every row then holds them.
constexpr ULONG kColumnTags[] = {PR_DISPLAY_NAME_A, PR_ENTRYID, PR_OBJECT_TYPE};
constexpr SPropTagArray kColumns = {3, kColumnTags};

// A failing code of WABOpen with what it usually means, for messages.
std::string DescribeOpenFailure(HRESULT hr) {
    std::string text = HexCode(hr);
    switch (hr) {
        case MAPI_E_NOT_FOUND:
            return text + " (no such book)";
        case MAPI_E_INVALID_OBJECT:
            return text + " (not an address book)";
        case MAPI_E_CORRUPT_DATA:
            return text + " (a damaged address book)";
        case MAPI_E_VERSION:
            return text + " (an address book of another version or journal mode)";
        case MAPI_E_OBJECT_CHANGED:
            return text + " (a change to the book was left unfinished in its -journal file)";
        case MAPI_E_NO_ACCESS:
            return text + " (access denied)";
        case MAPI_E_NOT_ENOUGH_MEMORY:
            return text + " (out of memory)";
        case MAPI_E_CALL_FAILED:
            return text + " (the book may be locked by another program)";
        default:
            return text;
    }
}

}  // namespace

void CAddressBookSession::LibraryCloser::operator()(void* module) const {
    FreeLibrary(module);
}

void CAddressBookSession::LocalFreer::operator()(BYTE* block) const {
    LocalFree(block);
}

CAddressBookSession::CAddressBookSession(const std::string& path)
    : m_strBookPath(path.empty() ? DefaultBookPath() : path) {
    if (LoadWabDll()) {
        m_bOpened = OpenAddressBook(path);
        if (!m_bOpened) {
            // Nothing of the library is in use: let it go now.
            m_hWabLib.reset();
        }
    }
    if (m_bOpened) {
        m_bookIdentity = IdentityOfPath(PlainFilePath(m_strBookPath));
    }
}

CAddressBookSession::~CAddressBookSession() {
    // Library blocks go back through the library object before it is released.
    if (m_pWabObject != nullptr) {
        for (EntryRef* entry : m_entryRefs) {
            m_pWabObject->FreeBuffer(entry);
        }
        if (m_pProps != nullptr) {
            m_pWabObject->FreeBuffer(m_pProps);
        }
    }
}

BOOL CAddressBookSession::LoadWabDll() {
    char path[kWabDllPathSize];
    m_strLibraryName = ReadWabDllPath(path, sizeof path) ? path : kDefaultWabDllName;
    std::string error;
    m_hWabLib.reset(LoadLibraryA(m_strLibraryName.c_str(), &error));
    if (m_hWabLib == nullptr) {
        m_strOpenError = "cannot load " + m_strLibraryName + ": " + error;
        return 0;
    }
    return 1;
}

BOOL CAddressBookSession::OpenAddressBook(const std::string& path) {
    if (m_hWabLib == nullptr) {
        return 0;
    }
    const auto wabOpen =
        reinterpret_cast<LPWABOPEN>(GetProcAddress(m_hWabLib.get(), kWabOpenExport));
    if (wabOpen == nullptr) {
        m_strOpenError = m_strLibraryName + " has no " + kWabOpenExport;
        return 0;
    }
    WAB_PARAM param{};
    param.cbSize = sizeof(WAB_PARAM);
    param.szFileName = path.c_str();
    IAddrBook* book = nullptr;
    IWABObject* allocator = nullptr;
    const HRESULT hr = wabOpen(&book, &allocator, &param, 0);
    // A warning code still hands out live objects; a failure leaves them
    // undefined.
    if (!FAILED(hr)) {
        m_pAddrBook.reset(book);
        m_pWabObject.reset(allocator);
    }
    if (hr == S_OK && m_pAddrBook != nullptr && m_pWabObject != nullptr) {
        m_strOpenError.clear();
        return 1;
    }
    m_pAddrBook.reset();
    m_pWabObject.reset();
    // A path that is no file to read (missing, a folder, a FIFO, a dangling
    // link) is told as such rather than by the library's code.
    if (const std::optional<InputPathProblem> problem =
            CheckInputPath(PlainFilePath(m_strBookPath))) {
        m_strOpenError = problem->reason;
        return 0;
    }
    m_strOpenError =
        hr == S_OK ? std::string(kWabOpenExport) + " gave no address book"
                   : std::string(kWabOpenExport) + " failed with code " + DescribeOpenFailure(hr);
    return 0;
}

HRESULT CAddressBookSession::FillList(ListControl& list) {
    if (!m_bOpened) {
        return MAPI_E_CALL_FAILED;
    }
    ULONG cbPab = 0;
    ENTRYID* pPab = nullptr;
    HRESULT hr = m_pAddrBook->GetPAB(&cbPab, &pPab);
    if (FAILED(hr) || pPab == nullptr) {
        if (pPab != nullptr) {
            m_pWabObject->FreeBuffer(pPab);
        }
        return FAILED(hr) ? hr : MAPI_E_CALL_FAILED;
    }

    ULONG objectType = 0;
    IUnknown* object = nullptr;
    hr = m_pAddrBook->OpenEntry(cbPab, pPab, nullptr, 0, &objectType, &object);
    m_pWabObject->FreeBuffer(pPab);
    const ObjectRef<IUnknown> heldObject(object);
    IABContainer* container = dynamic_cast<IABContainer*>(object);
    if (FAILED(hr) || container == nullptr) {
        return FAILED(hr) ? hr : MAPI_E_CALL_FAILED;
    }

    IMAPITable* table = nullptr;
    hr = container->GetContentsTable(0, &table);
    const ObjectRef<IMAPITable> heldTable(table);
    if (!FAILED(hr) && table == nullptr) {
        hr = MAPI_E_CALL_FAILED;
    }
    if (!FAILED(hr)) {
        hr = table->SetColumns(&kColumns, 0);
    }
    if (!FAILED(hr)) {
        hr = table->SeekRow(BOOKMARK_BEGINNING, 0, nullptr);
    }
    while (!FAILED(hr)) {
        SRowSet* rows = nullptr;
        hr = table->QueryRows(1, 0, &rows);
        if (FAILED(hr) || rows == nullptr) {
            break;
        }
        if (rows->cRows == 0) {
            FreeRows(rows);
            break;
        }
        AddRow(list, rows->aRow[0]);
        FreeRows(rows);
    }
    return hr;
}

void CAddressBookSession::AddRow(ListControl& list, const SRow& row) {
    // Each column must be there with the type asked for; a row that lacks one
    // (the library marks it with another type) gets no item.
    if (row.cValues < 3 || row.lpProps == nullptr) {
        return;
    }
    const SPropValue& name = row.lpProps[0];
    const SPropValue& id = row.lpProps[1];
    const SPropValue& type = row.lpProps[2];
    // A contact without a display name is listed with the empty name.
    const bool hasName = PROP_TYPE(name.ulPropTag) == PT_STRING8 && name.Value.lpszA != nullptr;
    if ((!hasName && PROP_TYPE(name.ulPropTag) != PT_ERROR) ||
        PROP_TYPE(id.ulPropTag) != PT_BINARY || id.Value.bin.cb == 0 ||
        id.Value.bin.lpb == nullptr || PROP_TYPE(type.ulPropTag) != PT_LONG) {
        return;
    }
    if (static_cast<ULONG>(type.Value.l) != MAPI_MAILUSER) {
        return;
    }
    EntryRef* entry = MakeEntryRef(id.Value.bin);
    if (entry == nullptr) {
        return;
    }
    m_entryRefs.push_back(entry);
    list.InsertItem(list.GetItemCount(), hasName ? name.Value.lpszA : "", entry);
}

EntryRef* CAddressBookSession::MakeEntryRef(const SBinary& id) {
    void* head = nullptr;
    if (FAILED(m_pWabObject->AllocateBuffer(sizeof(EntryRef), &head)) || head == nullptr) {
        return nullptr;
    }
    void* bytes = nullptr;
    if (FAILED(m_pWabObject->AllocateMore(id.cb, head, &bytes)) || bytes == nullptr) {
        m_pWabObject->FreeBuffer(head);
        return nullptr;
    }
    std::memcpy(bytes, id.lpb, id.cb);
    EntryRef* entry = static_cast<EntryRef*>(head);
    entry->cb = id.cb;
    entry->lpb = static_cast<std::uint8_t*>(bytes);
    return entry;
}

void CAddressBookSession::FreeRows(SRowSet* rows) {
    if (rows == nullptr || m_pWabObject == nullptr) {
        return;
    }
    for (ULONG i = 0; i < rows->cRows; ++i) {
        if (rows->aRow[i].lpProps != nullptr) {
            m_pWabObject->FreeBuffer(rows->aRow[i].lpProps);
        }
    }
    m_pWabObject->FreeBuffer(rows);
}

void CAddressBookSession::SetCurrentEntry(const EntryRef* entry) {
    if (entry == nullptr) {
        return;
    }
    m_pEntryId.reset();
    m_cbEntryId = 0;
    if (entry->cb == 0 || entry->lpb == nullptr) {
        return;
    }
    m_pEntryId.reset(static_cast<BYTE*>(LocalAlloc(LMEM_ZEROINIT, entry->cb)));
    if (m_pEntryId == nullptr) {
        return;
    }
    std::memcpy(m_pEntryId.get(), entry->lpb, entry->cb);
    m_cbEntryId = entry->cb;
}

int CAddressBookSession::SelectEntry(const ListControl& list, int start) {
    const int index = list.GetNextItem(start, LVNI_SELECTED);
    if (index < 0) {
        return -1;
    }
    const EntryRef* entry = list.GetItemData(index);
    SetCurrentEntry(entry);
    return entry != nullptr && m_pEntryId == nullptr ? 0 : 1;
}

HRESULT CAddressBookSession::ShowDetails(const ListControl& list) {
    if (!m_bOpened) {
        return MAPI_E_CALL_FAILED;
    }
    const int index = list.GetNextItem(-1, LVNI_SELECTED);
    if (index < 0) {
        return S_OK;
    }
    SetCurrentEntry(list.GetItemData(index));
    if (m_cbEntryId == 0 || m_pEntryId == nullptr) {
        return MAPI_E_NOT_ENOUGH_MEMORY;  // listed items have ids: the copy failed
    }
    std::uintptr_t window = 0;
    return m_pAddrBook->Details(&window, nullptr, nullptr, m_cbEntryId, m_pEntryId.get(), nullptr,
                                nullptr, nullptr, 0);
}

bool CAddressBookSession::ReadProperties() {
    if (!m_bOpened || m_pEntryId == nullptr || m_cbEntryId == 0) {
        return false;
    }
    ULONG objectType = 0;
    IUnknown* object = nullptr;
    const HRESULT hr =
        m_pAddrBook->OpenEntry(m_cbEntryId, m_pEntryId.get(), nullptr, 0, &objectType, &object);
    const ObjectRef<IUnknown> heldObject(object);
    IMAPIProp* contact = dynamic_cast<IMAPIProp*>(object);
    if (FAILED(hr) || contact == nullptr) {
        return false;
    }

    if (m_pProps != nullptr) {
        m_pWabObject->FreeBuffer(m_pProps);
    }
    m_pProps = nullptr;
    m_cProps = 0;
    ULONG count = 0;
    SPropValue* props = nullptr;
    const HRESULT got = contact->GetProps(nullptr, 0, &count, &props);
    if (FAILED(got) || props == nullptr) {
        if (props != nullptr) {
            m_pWabObject->FreeBuffer(props);
        }
        return false;
    }
    m_pProps = props;
    m_cProps = count;
    return true;
}
