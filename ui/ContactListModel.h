#pragma once

#include <QAbstractListModel>

#include <string>
#include <vector>

struct EntryRef;

// The items of the contact list, kept sorted by display name (the order of
// CompareDisplayNames), each with its EntryRef. Names are the book's 8-bit
// bytes; they are shown as UTF-8 where they are valid UTF-8, else as Latin-1.
class ContactListModel : public QAbstractListModel {
    Q_OBJECT

  public:
    struct Item {
        std::string text;
        EntryRef* data;
    };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Places the item by its name: appended when it sorts last (as the
    // book's table delivers them), else after the last item not above it.
    // Returns its index.
    int Insert(std::string text, EntryRef* itemData);
    void Clear();

    // Between BeginFill and EndFill, inserts tell the views nothing; EndFill
    // announces the whole list at once.
    void BeginFill();
    void EndFill();

    int Count() const { return static_cast<int>(m_items.size()); }
    const Item& At(int index) const { return m_items[static_cast<std::size_t>(index)]; }

    // The text shown for a name.
    static QString DisplayText(const std::string& name);

  private:
    std::vector<Item> m_items;
    bool m_bFilling = false;
};
