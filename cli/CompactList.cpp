#include "cli/CompactList.h"

#include "addressbook/DisplayNameOrder.h"

#include <algorithm>
#include <cstring>
#include <limits>

std::string_view CompactList::TextOf(const Item& item) const {
    return std::string_view(m_names.data() + item.offset, item.length);
}

int CompactList::GetNextItem(int start, unsigned flags) const {
    const int count = GetItemCount();
    for (int i = start < 0 ? 0 : start + 1; i < count; ++i) {
        if ((flags & LVNI_SELECTED) == 0 || m_items[static_cast<std::size_t>(i)].selected) {
            return i;
        }
    }
    return -1;
}

EntryRef* CompactList::GetItemData(int index) const {
    if (index < 0 || index >= GetItemCount()) {
        return nullptr;
    }
    return m_items[static_cast<std::size_t>(index)].data;
}

int CompactList::InsertItem(int /*index*/, const char* text, EntryRef* data) {
    const std::size_t length = std::strlen(text);
    constexpr std::size_t kArenaLimit = std::numeric_limits<std::uint32_t>::max();
    if (length >= (std::size_t{1} << 31) || length > kArenaLimit - m_names.size() ||
        m_items.size() >= static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return -1;
    }
    const Item item{static_cast<std::uint32_t>(m_names.size()), static_cast<std::uint32_t>(length),
                    0, data};
    m_names.insert(m_names.end(), text, text + length);
    const std::string_view name = TextOf(item);

    auto position = m_items.end();
    if (!m_items.empty() && CompareDisplayNames(name, TextOf(m_items.back())) < 0) {
        // After every equal name, so equal names keep their order of arrival.
        position = std::upper_bound(m_items.begin(), m_items.end(), name,
                                    [this](std::string_view key, const Item& other) {
                                        return CompareDisplayNames(key, TextOf(other)) < 0;
                                    });
    }
    position = m_items.insert(position, item);
    return static_cast<int>(position - m_items.begin());
}

void CompactList::DeleteAllItems() {
    std::vector<Item>().swap(m_items);
    std::vector<char>().swap(m_names);
}

std::string_view CompactList::GetItemText(int index) const {
    if (index < 0 || index >= GetItemCount()) {
        return {};
    }
    return TextOf(m_items[static_cast<std::size_t>(index)]);
}

void CompactList::SetItemSelected(int index, bool selected) {
    if (index >= 0 && index < GetItemCount()) {
        m_items[static_cast<std::size_t>(index)].selected = selected ? 1 : 0;
    }
}
