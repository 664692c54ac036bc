#include "ui/ContactListView.h"

#include <QEvent>
#include <QFontMetrics>
#include <QItemSelectionModel>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

// Draws the selection only while the list has the focus; the selection itself
// is kept.
class FocusedSelectionDelegate final : public QStyledItemDelegate {
  public:
    explicit FocusedSelectionDelegate(QListView* view) : QStyledItemDelegate(view), m_view(view) {}

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!m_view->hasFocus()) {
            option->state &= ~QStyle::State_Selected;
        }
    }

  private:
    QListView* m_view;
};

}  // namespace

ContactListView::ContactListView(QWidget* parent)
    : QListView(parent), m_pModel(new ContactListModel(this)) {
    setModel(m_pModel);
    setItemDelegate(new FocusedSelectionDelegate(this));
    setViewMode(QListView::ListMode);
    setFlow(QListView::TopToBottom);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(1000);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ContactListView::ItemChanged);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            &ContactListView::ItemChanged);
    UpdateColumnWidth();
}

void ContactListView::changeEvent(QEvent* event) {
    QListView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        UpdateColumnWidth();
    }
}

void ContactListView::focusInEvent(QFocusEvent* event) {
    QListView::focusInEvent(event);
    viewport()->update();
}

void ContactListView::focusOutEvent(QFocusEvent* event) {
    QListView::focusOutEvent(event);
    viewport()->update();
}

void ContactListView::UpdateColumnWidth() {
    // Columns of a fixed width, as the list control's list mode has; longer
    // names are cut short with an ellipsis.
    const QFontMetrics metrics(font());
    setGridSize(QSize(kColumnWidth, metrics.height() + 2));
}

int ContactListView::GetNextItem(int start, unsigned flags) const {
    const int count = m_pModel->Count();
    const int first = std::max(start + 1, 0);
    if (first >= count) {
        return -1;
    }
    if ((flags & LVNI_SELECTED) == 0) {
        return first;
    }
    // The first selected row at or after `first`, from the selection ranges.
    int found = -1;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        const int top = range.top();
        const int bottom = range.bottom();
        if (bottom < first) {
            continue;
        }
        const int candidate = std::max(top, first);
        if (found < 0 || candidate < found) {
            found = candidate;
        }
    }
    return found;
}

EntryRef* ContactListView::GetItemData(int index) const {
    if (index < 0 || index >= m_pModel->Count()) {
        return nullptr;
    }
    return m_pModel->At(index).data;
}

QString ContactListView::ItemText(int index) const {
    return m_pModel->index(index).data().toString();
}

int ContactListView::GetItemCount() const {
    return m_pModel->Count();
}

int ContactListView::InsertItem(int /*index*/, const char* text, EntryRef* itemData) {
    return m_pModel->Insert(text != nullptr ? std::string(text) : std::string(), itemData);
}

void ContactListView::DeleteAllItems() {
    m_pModel->Clear();
}

void ContactListView::SetItemSelected(int index, bool selected) {
    const QModelIndex item = m_pModel->index(index);
    selectionModel()->select(
        item, selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}
