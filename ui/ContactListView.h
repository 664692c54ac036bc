#pragma once

#include "platform/ListControl.h"
#include "ui/ContactListModel.h"

#include <QListView>

// The contact list (IDC_CONTACT_LIST): a sorted list in list mode, whose
// items flow down in columns, with extended selection, each item holding its
// EntryRef. Without LVS_SHOWSELALWAYS the selection shows only while the list
// has the focus. It is the list control that the session fills and the export runs
// walk.
class ContactListView : public QListView, public ListControl {
    Q_OBJECT

  public:
    explicit ContactListView(QWidget* parent = nullptr);

    int GetNextItem(int start, unsigned flags) const override;
    EntryRef* GetItemData(int index) const override;
    int GetItemCount() const override;
    // The item's name as the list shows it; empty for an index not in the list.
    QString ItemText(int index) const;
    int InsertItem(int index, const char* text, EntryRef* itemData) override;
    void DeleteAllItems() override;

    // Brackets a fill of many items so the view lays them out once.
    void BeginFill() { m_pModel->BeginFill(); }
    void EndFill() { m_pModel->EndFill(); }

    // Selects or deselects one item, as a person's click with Ctrl would.
    void SetItemSelected(int index, bool selected);

  protected:
    void changeEvent(QEvent* event) override;
    // The selection is drawn only while the list has the focus.
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  signals:
    // Any change of an item's state: selection or focus.
    void ItemChanged();

  private:
    static constexpr int kColumnWidth = 128;
    void UpdateColumnWidth();

    ContactListModel* m_pModel;  // owned as a child object
};
