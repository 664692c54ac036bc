// The library's block allocator. Each block carries one pointer in front of
// it: a head block points to the first block chained to it, a chained block
// to the next one, so one FreeBuffer of the head frees the whole chain.
#pragma once

#include "addressbook/WabInterface.h"

namespace wab32 {

// Largest block the library hands out; larger requests fail.
inline constexpr ULONG kMaxBlockSize = 0x40000000u;

HRESULT AllocateBlock(ULONG cbSize, void** lppBuffer);
HRESULT AllocateChained(ULONG cbSize, void* lpHead, void** lppBuffer);
void FreeBlock(void* lpHead);

class CWabObject final : public IWABObject {
  public:
    HRESULT AllocateBuffer(ULONG cbSize, void** lppBuffer) override;
    HRESULT AllocateMore(ULONG cbSize, void* lpObject, void** lppBuffer) override;
    ULONG FreeBuffer(void* lpBuffer) override;
    ULONG Release() override;

  private:
    ~CWabObject() override = default;
    ULONG m_cRef = 1;
};

}  // namespace wab32
