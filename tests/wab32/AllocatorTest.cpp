#include "WabTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace wabtest;

// A head and its chained blocks are freed whole by one FreeBuffer (the leak
// checker of the sanitizer build fails the test otherwise); a failure gives
// MAPI_E_NOT_ENOUGH_MEMORY and a null pointer and leaves the head usable.
TEST(AllocatorTest, ChainsAndFailures) {
    TempDir dir;
    OpenedBook opened(CreateBook(dir / "empty.wab", R"({"entries": []})"));
    IWABObject* wab = opened.wab;
    void* head = nullptr;
    ASSERT_EQ(wab->AllocateBuffer(16, &head), S_OK);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(head) % alignof(SPropValue), 0u);
    std::memset(head, 0x11, 16);
    // After the failure the head takes more blocks.
    for (ULONG size : {0xFFFFFFFFu, 0u, 1u, 8u, 4096u, 70000u}) {
        void* block = reinterpret_cast<void*>(0x1);
        const bool fits = size != 0xFFFFFFFFu;
        ASSERT_EQ(wab->AllocateMore(size, head, &block), fits ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY);
        ASSERT_EQ(block == nullptr, !fits);
        if (fits) {
            std::memset(block, 0x22, size);
        }
    }
    wab->FreeBuffer(head);
    wab->FreeBuffer(nullptr);

    void* block = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(wab->AllocateBuffer(0xFFFFFFFFu, &block), MAPI_E_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(block, nullptr);

    // Blocks stay valid after the book is released, as the session frees its
    // last property array before releasing the objects.
    ULONG cb = 0;
    ENTRYID* id = nullptr;
    ASSERT_EQ(opened.book->GetPAB(&cb, &id), S_OK);
    opened.book->Release();
    opened.book = nullptr;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(id), cb), std::string("QWBP\0\0\0\0", 8));
    wab->FreeBuffer(id);
    wab->Release();
}

}  // namespace
