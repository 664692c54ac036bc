#include "tests/addressbook/FakeWab.h"

#include "addressbook/WabInterface.h"

#include <cstdlib>
#include <cstring>

namespace {

FakeWabState g_state;
bool g_allocatorReleased = false;
const BYTE kPabId[] = {'P', 'A', 'B'};

void* AllocateHead(ULONG size) {
    void* block = std::calloc(1, size == 0 ? 1 : size);
    g_state.blocks[block];
    ++g_state.liveBlocks;
    return block;
}

void* AllocateChained(ULONG size, void* head) {
    auto found = g_state.blocks.find(head);
    if (found == g_state.blocks.end()) {
        ++g_state.badFrees;
        return nullptr;
    }
    void* block = std::calloc(1, size == 0 ? 1 : size);
    found->second.push_back(block);
    ++g_state.liveBlocks;
    return block;
}

char* CopyString(const std::string& text, void* head) {
    char* copy = static_cast<char*>(AllocateChained(static_cast<ULONG>(text.size() + 1), head));
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

void FreeHead(void* head) {
    g_state.events.push_back("FreeBuffer");
    auto found = g_state.blocks.find(head);
    if (g_allocatorReleased || found == g_state.blocks.end()) {
        ++g_state.badFrees;
        return;
    }
    for (void* block : found->second) {
        std::free(block);
        --g_state.liveBlocks;
    }
    std::free(head);
    --g_state.liveBlocks;
    g_state.blocks.erase(found);
}

template <typename Base>
class Counted : public Base {
  public:
    explicit Counted(const char* name) : m_name(name) { ++g_state.liveObjects; }
    ULONG Release() override {
        g_state.events.push_back(std::string("Release ") + m_name);
        --g_state.liveObjects;
        delete this;
        return 0;
    }

  protected:
    ~Counted() override = default;

  private:
    const char* m_name;
};

class FakeWabObject final : public Counted<IWABObject> {
  public:
    FakeWabObject() : Counted("IWABObject") {}
    ULONG Release() override {
        g_allocatorReleased = true;
        return Counted::Release();
    }
    HRESULT AllocateBuffer(ULONG size, void** buffer) override {
        const int call = g_state.allocateBufferCalls++;
        *buffer = g_state.failAllocateBuffer.count(call) != 0 ? nullptr : AllocateHead(size);
        return *buffer != nullptr ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
    }
    HRESULT AllocateMore(ULONG size, void* head, void** buffer) override {
        const int call = g_state.allocateMoreCalls++;
        *buffer = g_state.failAllocateMore.count(call) != 0 ? nullptr : AllocateChained(size, head);
        return *buffer != nullptr ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
    }
    ULONG FreeBuffer(void* buffer) override {
        FreeHead(buffer);
        return 0;
    }
};

SPropValue* PropsOf(const FakeEntry& entry) {
    SPropValue* props = static_cast<SPropValue*>(
        AllocateHead(static_cast<ULONG>(sizeof(SPropValue) * (entry.props.size() + 1))));
    for (std::size_t i = 0; i < entry.props.size(); ++i) {
        props[i].ulPropTag = entry.props[i].first;
        props[i].Value.lpszA = CopyString(entry.props[i].second, props);
    }
    return props;
}

class FakeMailUser final : public Counted<IMailUser> {
  public:
    explicit FakeMailUser(const FakeEntry& entry) : Counted("IMailUser"), m_entry(entry) {}
    HRESULT GetProps(const SPropTagArray* /*tags*/, ULONG /*flags*/, ULONG* count,
                     SPropValue** props) override {
        if (g_state.getPropsNoArray) {
            *count = 0;
            *props = nullptr;
            return g_state.getPropsResult;
        }
        *props = PropsOf(m_entry);
        *count = static_cast<ULONG>(m_entry.props.size());
        return g_state.getPropsResult;
    }

  private:
    FakeEntry m_entry;
};

class FakeTable final : public Counted<IMAPITable> {
  public:
    FakeTable() : Counted("IMAPITable") {}
    HRESULT SetColumns(const SPropTagArray* columns, ULONG /*flags*/) override {
        if (columns == nullptr || columns->cValues != 3 ||
            columns->aulPropTag[0] != PR_DISPLAY_NAME_A || columns->aulPropTag[1] != PR_ENTRYID ||
            columns->aulPropTag[2] != PR_OBJECT_TYPE) {
            return MAPI_E_INVALID_PARAMETER;
        }
        return g_state.setColumnsResult;
    }
    HRESULT SeekRow(ULONG origin, LONG rows, LONG* sought) override {
        if (origin != BOOKMARK_BEGINNING || rows != 0 || sought != nullptr) {
            return MAPI_E_INVALID_PARAMETER;
        }
        m_next = 0;
        return g_state.seekResult;
    }
    HRESULT QueryRows(LONG count, ULONG /*flags*/, SRowSet** rows) override {
        const int call = g_state.queryRowsCalls++;
        *rows = nullptr;
        if (count != 1) {
            return MAPI_E_INVALID_PARAMETER;
        }
        if (call == g_state.queryFailAt) {
            return g_state.queryFailCode;
        }
        SRowSet* set = static_cast<SRowSet*>(AllocateHead(sizeof(SRowSet)));
        *rows = set;
        if (m_next >= g_state.entries.size()) {
            set->cRows = 0;
            return g_state.queryEndResult;
        }
        const FakeEntry& entry = g_state.entries[m_next++];
        set->cRows = 1;
        SRow& row = set->aRow[0];
        row.cValues = entry.shape == RowShape::TwoColumns ? 2 : 3;
        if (entry.shape == RowShape::NoProps) {
            return S_OK;
        }
        SPropValue* props = static_cast<SPropValue*>(AllocateHead(3 * sizeof(SPropValue)));
        row.lpProps = props;
        props[0].ulPropTag = PR_DISPLAY_NAME_A;
        props[0].Value.lpszA = CopyString(entry.name, props);
        props[1].ulPropTag = PR_ENTRYID;
        props[1].Value.bin.cb = static_cast<ULONG>(entry.id.size());
        props[1].Value.bin.lpb =
            static_cast<BYTE*>(AllocateChained(static_cast<ULONG>(entry.id.size()), props));
        std::memcpy(props[1].Value.bin.lpb, entry.id.data(), entry.id.size());
        props[2].ulPropTag = PR_OBJECT_TYPE;
        props[2].Value.l = entry.objectType;
        switch (entry.shape) {
            case RowShape::NameMissing:
                props[0].ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(PR_DISPLAY_NAME_A));
                props[0].Value.err = MAPI_E_NOT_FOUND;
                break;
            case RowShape::NameNull:
                props[0].Value.lpszA = nullptr;
                break;
            case RowShape::IdMissing:
                props[1].ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(PR_ENTRYID));
                props[1].Value.err = MAPI_E_NOT_FOUND;
                break;
            case RowShape::IdEmpty:
                props[1].Value.bin.cb = 0;
                props[1].Value.bin.lpb = nullptr;
                break;
            case RowShape::TypeMissing:
                props[2].ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(PR_OBJECT_TYPE));
                props[2].Value.err = MAPI_E_NOT_FOUND;
                break;
            default:
                break;
        }
        return S_OK;
    }

  private:
    std::size_t m_next = 0;
};

class FakeContainer final : public Counted<IABContainer> {
  public:
    FakeContainer() : Counted("IABContainer") {}
    HRESULT GetProps(const SPropTagArray*, ULONG, ULONG* count, SPropValue** props) override {
        *count = 0;
        *props = nullptr;
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT GetContentsTable(ULONG /*flags*/, IMAPITable** table) override {
        if (FAILED(g_state.contentsResult)) {
            *table = nullptr;
            return g_state.contentsResult;
        }
        *table = new FakeTable();
        return g_state.contentsResult;
    }
};

class FakeAddrBook final : public Counted<IAddrBook> {
  public:
    FakeAddrBook() : Counted("IAddrBook") {}
    HRESULT GetPAB(ULONG* size, ENTRYID** id) override {
        *size = 0;
        *id = nullptr;
        if (FAILED(g_state.getPabResult) || g_state.pabNullId) {
            return g_state.getPabResult;
        }
        *id = static_cast<ENTRYID*>(AllocateHead(sizeof kPabId));
        std::memcpy(*id, kPabId, sizeof kPabId);
        *size = sizeof kPabId;
        return S_OK;
    }
    HRESULT OpenEntry(ULONG size, const ENTRYID* id, const void* /*iid*/, ULONG /*flags*/,
                      ULONG* type, IUnknown** object) override {
        *object = nullptr;
        if (size == sizeof kPabId && std::memcmp(id, kPabId, size) == 0) {
            if (FAILED(g_state.openContainerResult)) {
                return g_state.openContainerResult;
            }
            *type = MAPI_ABCONT;
            if (g_state.containerIsMailUser) {
                *object = new FakeMailUser(FakeEntry{});
            } else {
                *object = new FakeContainer();
            }
            return S_OK;
        }
        for (const FakeEntry& entry : g_state.entries) {
            if (entry.id.size() == size && std::memcmp(entry.id.data(), id, size) == 0) {
                if (entry.failOpen) {
                    return MAPI_E_NOT_FOUND;
                }
                *type = static_cast<ULONG>(entry.objectType);
                *object = new FakeMailUser(entry);
                return S_OK;
            }
        }
        return MAPI_E_INVALID_ENTRYID;
    }
    HRESULT Details(std::uintptr_t* window, DismissCallback, void*, ULONG size, const ENTRYID* id,
                    ButtonCallback, void*, const char*, ULONG) override {
        ++g_state.detailsCalls;
        g_state.detailsId.assign(id, id + size);
        return window != nullptr && *window == 0 ? S_OK : MAPI_E_INVALID_PARAMETER;
    }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) FakeWabState* GetFakeWabState() {
    return &g_state;
}

extern "C" __attribute__((visibility("default"))) HRESULT WABOpen(IAddrBook** book,
                                                                  IWABObject** allocator,
                                                                  WAB_PARAM* param,
                                                                  ULONG /*reserved*/) {
    g_state.fileName = param->szFileName != nullptr ? param->szFileName : "<null>";
    g_state.paramSize = param->cbSize;
    if (FAILED(g_state.openResult)) {
        return g_state.openResult;
    }
    g_allocatorReleased = false;
    *book = new FakeAddrBook();
    *allocator = new FakeWabObject();
    return g_state.openResult;
}
