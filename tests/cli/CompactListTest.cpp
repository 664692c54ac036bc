#include "cli/CompactList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

EntryRef* Tag(std::uintptr_t n) {
    return reinterpret_cast<EntryRef*>(n);
}

TEST(CompactListTest, KeepsDisplayNameOrderAndArrivalOrderOfEqualNames) {
    struct Case {
        std::vector<std::string> inserted;
        std::vector<int> expected;  // arrival numbers, in list order
    };
    const Case cases[] = {
        {{"a", "b", "c"}, {0, 1, 2}},
        {{"c", "b", "a"}, {2, 1, 0}},
        {{"bob", "Alice", "carol", "alice"}, {1, 3, 0, 2}},
        {{"x", "x", "a", "x"}, {2, 0, 1, 3}},
        {{"b", "c", "b", "a", "b"}, {3, 0, 2, 4, 1}},
        {{"", "\xE9t\xE9", "Zed", "zed", "z"}, {0, 4, 2, 3, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.inserted));
        CompactList list;
        for (std::size_t i = 0; i < c.inserted.size(); ++i) {
            EXPECT_GE(list.InsertItem(list.GetItemCount(), c.inserted[i].c_str(), Tag(i + 1)), 0);
        }
        ASSERT_EQ(list.GetItemCount(), static_cast<int>(c.expected.size()));
        for (int i = 0; i < list.GetItemCount(); ++i) {
            const auto arrival = static_cast<std::size_t>(c.expected[static_cast<std::size_t>(i)]);
            EXPECT_EQ(list.GetItemData(i), Tag(arrival + 1)) << i;
            EXPECT_EQ(list.GetItemText(i), c.inserted[arrival]) << i;
        }
    }
}

TEST(CompactListTest, InsertReturnsThePlaceAndSearchesFollowTheFlags) {
    CompactList list;
    EXPECT_EQ(list.InsertItem(0, "m", Tag(1)), 0);
    EXPECT_EQ(list.InsertItem(1, "z", Tag(2)), 1);
    EXPECT_EQ(list.InsertItem(2, "a", Tag(3)), 0);
    EXPECT_EQ(list.InsertItem(3, "n", Tag(4)), 2);  // a m n z

    EXPECT_EQ(list.GetNextItem(2, LVNI_ALL), 3);
    EXPECT_EQ(list.GetNextItem(3, LVNI_ALL), -1);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
    list.SetItemSelected(1, true);
    list.SetItemSelected(3, true);
    list.SetItemSelected(9, true);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_EQ(list.GetNextItem(1, LVNI_SELECTED), 3);
    EXPECT_EQ(list.GetNextItem(3, LVNI_SELECTED), -1);
    // A later insertion moves the selection with its item.
    list.InsertItem(4, "b", Tag(5));
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 2);
    EXPECT_EQ(list.GetItemText(2), "m");
    EXPECT_EQ(list.GetItemData(-1), nullptr);
    EXPECT_EQ(list.GetItemData(5), nullptr);
    list.DeleteAllItems();
    EXPECT_EQ(list.GetNextItem(-1, LVNI_ALL), -1);
}

}  // namespace
