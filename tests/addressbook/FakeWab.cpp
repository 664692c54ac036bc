#include "tests/addressbook/FakeWab.h"

#include "addressbook/WabInterface.h"

#include <cstdlib>
#include <cstring>

namespace {

FakeWabState g_state;
bool g_allocatorReleased = false;
const BYTE kPabId[] = {'P', 'A', 'B'};

// Blocks are counted and chained to their head, as the library frees them.
void* Allocate(ULONG size, void* head = nullptr) {
    void* block = std::calloc(1, size == 0 ? 1 : size);
    ++g_state.liveBlocks;
    if (head == nullptr) {
        g_state.blocks[block];
    } else {
        g_state.blocks[head].push_back(block);
    }
    return block;
}

template <typename T>
T* Copy(const void* data, std::size_t size, void* head = nullptr) {
    return static_cast<T*>(std::memcpy(Allocate(static_cast<ULONG>(size), head), data, size));
}

char* CopyString(const std::string& text, void* head) {
    return static_cast<char*>(std::memcpy(Allocate(static_cast<ULONG>(text.size() + 1), head),
                                          text.c_str(), text.size() + 1));
}

void FreeHead(void* head) {
    auto found = g_state.blocks.find(head);
    if (g_allocatorReleased || found == g_state.blocks.end()) {
        ++g_state.badFrees;
        return;
    }
    for (void* block : found->second) {
        std::free(block);
    }
    g_state.liveBlocks -= static_cast<long>(found->second.size() + 1);
    std::free(head);
    g_state.blocks.erase(found);
}

template <typename Base>
class Counted : public Base {
  public:
    Counted() { ++g_state.liveObjects; }
    ULONG Release() override {
        --g_state.liveObjects;
        delete this;
        return 0;
    }
};

class FakeWabObject final : public Counted<IWABObject> {
  public:
    ULONG Release() override {
        g_allocatorReleased = true;
        return Counted::Release();
    }
    HRESULT AllocateBuffer(ULONG size, void** buffer) override {
        const bool fail = g_state.failAllocateBuffer-- == 0;
        *buffer = fail ? nullptr : Allocate(size);
        return fail ? MAPI_E_NOT_ENOUGH_MEMORY : S_OK;
    }
    HRESULT AllocateMore(ULONG size, void* head, void** buffer) override {
        const bool fail = g_state.failAllocateMore-- == 0 || g_state.blocks.count(head) == 0;
        *buffer = fail ? nullptr : Allocate(size, head);
        return fail ? MAPI_E_NOT_ENOUGH_MEMORY : S_OK;
    }
    ULONG FreeBuffer(void* buffer) override {
        FreeHead(buffer);
        return 0;
    }
};

class FakeMailUser final : public Counted<IMailUser> {
  public:
    explicit FakeMailUser(const FakeEntry& entry) : m_entry(entry) {}
    HRESULT GetProps(const SPropTagArray*, ULONG, ULONG* count, SPropValue** props) override {
        *count = 0;
        *props = nullptr;
        if (g_state.getPropsNoArray) {
            return S_OK;
        }
        *props = static_cast<SPropValue*>(
            Allocate(static_cast<ULONG>(sizeof(SPropValue) * (m_entry.props.size() + 1))));
        for (const auto& [tag, text] : m_entry.props) {
            (*props)[*count].ulPropTag = tag;
            (*props)[(*count)++].Value.lpszA = CopyString(text, *props);
        }
        return S_OK;
    }

  private:
    FakeEntry m_entry;
};

class FakeTable final : public Counted<IMAPITable> {
  public:
    HRESULT SetColumns(const SPropTagArray* columns, ULONG flags) override {
        if (flags != 0 || columns == nullptr || columns->cValues != 3 ||
            columns->aulPropTag[0] != PR_DISPLAY_NAME_A || columns->aulPropTag[1] != PR_ENTRYID ||
            columns->aulPropTag[2] != PR_OBJECT_TYPE) {
            return MAPI_E_INVALID_PARAMETER;
        }
        return g_state.setColumnsResult;
    }
    HRESULT SeekRow(ULONG, LONG, LONG*) override {
        m_next = 0;
        return g_state.seekResult;
    }
    // One row per call; the failing call gives no row set and keeps the place.
    HRESULT QueryRows(LONG count, ULONG /*flags*/, SRowSet** rows) override {
        *rows = nullptr;
        if (g_state.queryFailAt-- == 0 || count != 1) {
            return count != 1 ? MAPI_E_INVALID_PARAMETER : g_state.queryFailCode;
        }
        SRowSet* set = static_cast<SRowSet*>(Allocate(sizeof(SRowSet)));
        *rows = set;
        if (m_next >= g_state.entries.size()) {
            return g_state.queryEndResult;
        }
        const FakeEntry& entry = g_state.entries[m_next++];
        set->cRows = 1;
        set->aRow[0].cValues = 3;
        if (entry.noProps) {
            return S_OK;
        }
        SPropValue* props = static_cast<SPropValue*>(Allocate(3 * sizeof(SPropValue)));
        set->aRow[0].lpProps = props;
        for (int i = 0; i < 3; ++i) {
            props[i].ulPropTag = entry.tags[i];
        }
        props[0].Value.lpszA = entry.nullName ? nullptr : CopyString(entry.name, props);
        props[1].Value.bin.cb = static_cast<ULONG>(entry.id.size());
        props[1].Value.bin.lpb = Copy<BYTE>(entry.id.data(), entry.id.size(), props);
        props[2].Value.l = entry.objectType;
        return S_OK;
    }

  private:
    std::size_t m_next = 0;
};

class FakeContainer final : public Counted<IABContainer> {
  public:
    HRESULT GetProps(const SPropTagArray*, ULONG, ULONG*, SPropValue**) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT GetContentsTable(ULONG flags, IMAPITable** table) override {
        const HRESULT hr = flags != 0 ? MAPI_E_INVALID_PARAMETER : g_state.contentsResult;
        *table = FAILED(hr) ? nullptr : new FakeTable();
        return hr;
    }
};

class FakeAddrBook final : public Counted<IAddrBook> {
  public:
    HRESULT GetPAB(ULONG* size, ENTRYID** id) override {
        *size = 0;
        *id = nullptr;
        if (g_state.getPabResult != S_OK) {
            // A failing library may still hand out a block; the caller frees it.
            if (FAILED(g_state.getPabResult)) {
                *id = Copy<ENTRYID>(kPabId, sizeof kPabId);
            }
            return g_state.getPabResult;
        }
        *id = Copy<ENTRYID>(kPabId, sizeof kPabId);
        *size = sizeof kPabId;
        return S_OK;
    }
    HRESULT OpenEntry(ULONG size, const ENTRYID* id, const void* /*iid*/, ULONG /*flags*/,
                      ULONG* type, IUnknown** object) override {
        *object = nullptr;
        if (size == sizeof kPabId && std::memcmp(id, kPabId, size) == 0) {
            *type = MAPI_ABCONT;
            if (!FAILED(g_state.openContainerResult)) {
                *object = g_state.containerIsMailUser
                              ? static_cast<IUnknown*>(new FakeMailUser(FakeEntry{}))
                              : new FakeContainer();
            }
            return g_state.openContainerResult;
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
        for (const FakeEntry& entry : g_state.entries) {
            if (entry.failOpen && entry.id == g_state.detailsId) {
                return MAPI_E_NOT_FOUND;
            }
        }
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
    if (!FAILED(g_state.openResult)) {
        g_allocatorReleased = false;
        *book = new FakeAddrBook();
        *allocator = new FakeWabObject();
    }
    return g_state.openResult;
}
