#include "WabTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace wabtest;

class AllocatorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateBook(m_dir / "empty.wab", R"({"entries": []})", m_dir);
        ASSERT_EQ(OpenBook((m_dir / "empty.wab").string(), &m_book, &m_wab), S_OK);
    }
    void TearDown() override {
        if (m_book != nullptr) {
            m_book->Release();
        }
        if (m_wab != nullptr) {
            m_wab->Release();
        }
    }
    TempDir m_dir;
    IAddrBook* m_book = nullptr;
    IWABObject* m_wab = nullptr;
};

// A head with several chained blocks is freed whole by one FreeBuffer; the
// leak checker of the sanitizer build fails the test otherwise.
TEST_F(AllocatorTest, ChainIsFreedWithItsHead) {
    void* head = nullptr;
    ASSERT_EQ(m_wab->AllocateBuffer(16, &head), S_OK);
    ASSERT_NE(head, nullptr);
    std::memset(head, 0x11, 16);
    std::vector<void*> more;
    for (ULONG size : {0u, 1u, 8u, 4096u, 70000u}) {
        void* block = nullptr;
        ASSERT_EQ(m_wab->AllocateMore(size, head, &block), S_OK);
        ASSERT_NE(block, nullptr);
        std::memset(block, 0x22, size);
        more.push_back(block);
    }
    for (std::size_t i = 0; i < more.size(); ++i) {
        for (std::size_t j = i + 1; j < more.size(); ++j) {
            EXPECT_NE(more[i], more[j]);
        }
    }
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(head) % alignof(SPropValue), 0u);
    m_wab->FreeBuffer(head);
    m_wab->FreeBuffer(nullptr);
}

TEST_F(AllocatorTest, FailuresGiveNotEnoughMemoryAndNullPointer) {
    void* block = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(m_wab->AllocateBuffer(0xFFFFFFFFu, &block), MAPI_E_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(block, nullptr);

    void* head = nullptr;
    ASSERT_EQ(m_wab->AllocateBuffer(16, &head), S_OK);
    block = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(m_wab->AllocateMore(0xFFFFFFFFu, head, &block), MAPI_E_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(block, nullptr);
    // The head survives a failed AllocateMore and still frees its chain.
    ASSERT_EQ(m_wab->AllocateMore(8, head, &block), S_OK);
    m_wab->FreeBuffer(head);

    block = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(m_wab->AllocateMore(8, nullptr, &block), MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(m_wab->AllocateBuffer(8, nullptr), MAPI_E_INVALID_PARAMETER);
}

// Blocks of one book's allocator stay valid after the book is released, as
// the session frees its last property array before releasing the objects.
TEST_F(AllocatorTest, EntryIdOutlivesTheBook) {
    ULONG cb = 0;
    ENTRYID* id = nullptr;
    ASSERT_EQ(m_book->GetPAB(&cb, &id), S_OK);
    ASSERT_EQ(cb, 8u);
    m_book->Release();
    m_book = nullptr;
    EXPECT_EQ(id[0], 'Q');
    m_wab->FreeBuffer(id);
}

}  // namespace
