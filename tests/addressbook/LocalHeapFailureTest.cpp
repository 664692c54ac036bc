#include "addressbook/AddressBookSession.h"
#include "cli/CompactList.h"
#include "platform/LocalHeap.h"
#include "tests/addressbook/FakeBook.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {
bool g_localHeapFails = false;
}  // namespace

// A local heap that gives no block while g_localHeapFails is set, linked in
// place of the real one.
void* LocalAlloc(unsigned /*flags*/, std::size_t bytes) {
    return g_localHeapFails || bytes == 0 ? nullptr : std::calloc(1, bytes);
}

void* LocalFree(void* block) {
    std::free(block);
    return nullptr;
}

namespace {

// With no room on the local heap there is no current entry afterwards: the
// details window is not shown and the previous array stays.
TEST(LocalHeapFailureTest, AFailedCopyLeavesNoCurrentEntry) {
    FakeBook book;
    book.state().entries = {Contact("Anna", 1), Contact("Bert", 2)};
    CAddressBookSession session("");
    CompactList list;
    ASSERT_EQ(session.FillList(list), S_OK);
    list.SetItemSelected(0, true);
    ASSERT_EQ(session.SelectEntry(list, -1), 1);
    ASSERT_TRUE(session.ReadProperties());
    const SPropValue* props = session.m_pProps;

    g_localHeapFails = true;
    session.SetCurrentEntry(list.GetItemData(1));
    EXPECT_EQ(session.SelectEntry(list, -1), 0);
    session.ShowDetails(list);
    EXPECT_EQ(book.state().detailsCalls, 0);
    EXPECT_FALSE(session.ReadProperties());
    EXPECT_EQ(session.m_pProps, props);
    g_localHeapFails = false;
}

}  // namespace
