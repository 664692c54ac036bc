#include "WabTestSupport.h"
#include "wab32/WabAllocator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

using namespace wabtest;

// One FreeBuffer frees a head and its chain (the sanitizer build checks); a
// failure gives MAPI_E_NOT_ENOUGH_MEMORY, a null pointer and a usable head;
// blocks outlive the book, as the session frees its last array after it.
TEST(AllocatorTest, ChainsAndFailures) {
    TempDir dir;
    OpenedBook opened(CreateBook(dir / "empty.wab", R"({"entries": []})"));
    IWABObject* wab = opened.wab;
    void* head = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(wab->AllocateBuffer(0xFFFFFFFFu, &head), MAPI_E_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(head, nullptr);
    ASSERT_EQ(wab->AllocateBuffer(16, &head), S_OK);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(head) % alignof(SPropValue), 0u);
    for (ULONG size : {0xFFFFFFFFu, 0u, 70000u, wab32::kMaxBlockSize + 1, wab32::kMaxBlockSize}) {
        void* block = reinterpret_cast<void*>(0x1);
        const bool fits = size <= wab32::kMaxBlockSize;
        ASSERT_EQ(wab->AllocateMore(size, head, &block), fits ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY);
        ASSERT_EQ(block == nullptr, !fits);
        if (fits) {
            std::memset(block, 0x22, std::min<ULONG>(size, 70000));
        }
    }
    opened.book->Release();
    opened.book = nullptr;
    std::memset(head, 0x11, 16);
    wab->FreeBuffer(head);
    wab->Release();
}

}  // namespace
