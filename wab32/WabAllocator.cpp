#include "wab32/WabAllocator.h"

#include <cstdlib>

namespace wab32 {

namespace {

struct BlockHeader {
    BlockHeader* next;
};

BlockHeader* HeaderOf(void* block) {
    return static_cast<BlockHeader*>(block) - 1;
}

void* NewBlock(ULONG cbSize) {
    if (cbSize > kMaxBlockSize) {
        return nullptr;
    }
    auto* h = static_cast<BlockHeader*>(std::calloc(1, sizeof(BlockHeader) + cbSize));
    if (h == nullptr) {
        return nullptr;
    }
    return h + 1;
}

}  // namespace

HRESULT AllocateBlock(ULONG cbSize, void** lppBuffer) {
    if (lppBuffer == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    *lppBuffer = NewBlock(cbSize);
    return *lppBuffer != nullptr ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
}

HRESULT AllocateChained(ULONG cbSize, void* lpHead, void** lppBuffer) {
    if (lppBuffer == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    *lppBuffer = nullptr;
    if (lpHead == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    void* block = NewBlock(cbSize);
    if (block == nullptr) {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
    BlockHeader* head = HeaderOf(lpHead);
    HeaderOf(block)->next = head->next;
    head->next = HeaderOf(block);
    *lppBuffer = block;
    return S_OK;
}

void FreeBlock(void* lpHead) {
    if (lpHead == nullptr) {
        return;
    }
    BlockHeader* h = HeaderOf(lpHead);
    while (h != nullptr) {
        BlockHeader* next = h->next;
        std::free(h);
        h = next;
    }
}

HRESULT CWabObject::AllocateBuffer(ULONG cbSize, void** lppBuffer) {
    return AllocateBlock(cbSize, lppBuffer);
}

HRESULT CWabObject::AllocateMore(ULONG cbSize, void* lpObject, void** lppBuffer) {
    return AllocateChained(cbSize, lpObject, lppBuffer);
}

ULONG CWabObject::FreeBuffer(void* lpBuffer) {
    FreeBlock(lpBuffer);
    return 0;
}

}  // namespace wab32
