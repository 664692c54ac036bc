#pragma once

struct EntryRef;

// Item-search flags of GetNextItem.
inline constexpr unsigned LVNI_ALL = 0;
inline constexpr unsigned LVNI_SELECTED = 2;

// The contact list, as the session and the export runs use it. The list keeps
// its items sorted by text in ascending byte order; each item carries one
// EntryRef pointer as its data.
class ListControl {
  public:
    virtual ~ListControl() = default;
    // The next item after index start (-1: from the first) that matches the
    // flags, or -1.
    virtual int GetNextItem(int start, unsigned flags) const = 0;
    // The item's data; null for an index that is not in the list.
    virtual EntryRef* GetItemData(int index) const = 0;
    virtual int GetItemCount() const = 0;
    // Inserts an item, copying the text; the sorted list places it by its
    // text, so index is only a hint. Returns the item's index, or -1.
    virtual int InsertItem(int index, const char* text, EntryRef* data) = 0;
    virtual void DeleteAllItems() = 0;
};
