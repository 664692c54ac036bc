// The library's block allocator. Each block carries one pointer in front of
// it: a head block points to the first block chained to it, a chained block
// to the next one, so one FreeBuffer of the head frees the whole chain.
#pragma once

#include "addressbook/WabInterface.h"
#include "wab32/RefCounted.h"

namespace wab32 {

// Largest block the library hands out; larger requests fail.
inline constexpr ULONG kMaxBlockSize = 0x40000000u;

HRESULT AllocateBlock(ULONG cbSize, void** lppBuffer);
HRESULT AllocateChained(ULONG cbSize, void* lpHead, void** lppBuffer);
void FreeBlock(void* lpHead);

class CWabObject final : public CRefCounted<IWABObject> {
  public:
    HRESULT AllocateBuffer(ULONG cbSize, void** lppBuffer) override;
    HRESULT AllocateMore(ULONG cbSize, void* lpObject, void** lppBuffer) override;
    ULONG FreeBuffer(void* lpBuffer) override;

  private:
    ~CWabObject() override = default;
};

}  // namespace wab32
