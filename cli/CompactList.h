#pragma once

#include "platform/ListControl.h"

#include <cstdint>
#include <string_view>
#include <vector>

// A sorted contact list without a window, small per item: the names live in
// one arena and each item is an offset, a length and its data. Items are kept
// in display-name order; equal names keep their order of arrival. Insertion
// appends when the name sorts last (the book's table comes in that order).
class CompactList final : public ListControl {
  public:
    int GetNextItem(int start, unsigned flags) const override;
    EntryRef* GetItemData(int index) const override;
    int GetItemCount() const override { return static_cast<int>(m_items.size()); }
    int InsertItem(int index, const char* text, EntryRef* data) override;
    void DeleteAllItems() override;

    std::string_view GetItemText(int index) const;
    // Out-of-range indexes are ignored.
    void SetItemSelected(int index, bool selected);

  private:
    // 16 bytes per item: the arena is at most 4 GiB, a name under 2 GiB.
    struct Item {
        std::uint32_t offset;
        std::uint32_t length : 31;
        std::uint32_t selected : 1;
        EntryRef* data;
    };
    std::string_view TextOf(const Item& item) const;

    std::vector<char> m_names;
    std::vector<Item> m_items;
};
