#include "ui/ContactListModel.h"

#include "addressbook/DisplayNameOrder.h"

#include <QStringDecoder>

#include <algorithm>

int ContactListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant ContactListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count() || role != Qt::DisplayRole) {
        return {};
    }
    return DisplayText(At(index.row()).text);
}

int ContactListModel::Insert(std::string text, EntryRef* itemData) {
    auto position = m_items.end();
    if (!m_items.empty() && CompareDisplayNames(m_items.back().text, text) > 0) {
        position = std::upper_bound(m_items.begin(), m_items.end(), text,
                                    [](const std::string& name, const Item& item) {
                                        return CompareDisplayNames(name, item.text) < 0;
                                    });
    }
    const int row = static_cast<int>(position - m_items.begin());
    if (!m_bFilling) {
        beginInsertRows(QModelIndex(), row, row);
    }
    m_items.insert(position, Item{std::move(text), itemData});
    if (!m_bFilling) {
        endInsertRows();
    }
    return row;
}

void ContactListModel::Clear() {
    if (m_items.empty()) {
        return;
    }
    beginResetModel();
    m_items.clear();
    endResetModel();
}

void ContactListModel::BeginFill() {
    if (!m_bFilling) {
        beginResetModel();
        m_bFilling = true;
    }
}

void ContactListModel::EndFill() {
    if (m_bFilling) {
        m_bFilling = false;
        endResetModel();
    }
}

QString ContactListModel::DisplayText(const std::string& name) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(name.data(), static_cast<qsizetype>(name.size())));
    if (utf8.hasError()) {
        return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
    }
    return text;
}
