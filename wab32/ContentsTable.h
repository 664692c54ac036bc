// The personal address book's contents table: every stored entry, one row
// each, in ascending display-name order (stored order for equal names), read
// from the entries_by_name index with statements prepared once per table.
#pragma once

#include "addressbook/WabInterface.h"
#include "wab32/BookFormat.h"
#include "wab32/BookStore.h"
#include "wab32/RefCounted.h"

#include <memory>
#include <vector>

namespace wab32 {

class CWabContentsTable final : public CRefCounted<IMAPITable> {
  public:
    explicit CWabContentsTable(std::shared_ptr<CBookStore> store);
    bool Ready() const { return m_rows != nullptr; }

    HRESULT SetColumns(const SPropTagArray* lpPropTagArray, ULONG ulFlags) override;
    HRESULT SeekRow(ULONG bkOrigin, LONG lRowCount, LONG* lplRowsSought) override;
    HRESULT QueryRows(LONG lRowCount, ULONG ulFlags, SRowSet** lppRows) override;

  private:
    ~CWabContentsTable() override = default;
    sqlite3_stmt* Current() const;
    void Rewind();
    // Steps to the next row: 1 for a row, 0 at the end, or a failing code.
    HRESULT Step();
    HRESULT BuildRow(SPropValue** lppProps);

    std::shared_ptr<CBookStore> m_store;
    bool m_fromTable;       // the index does not list the table's rows: read the table
    Statement m_rows;       // without the property blobs
    Statement m_rowsProps;  // with them, for columns other than the three kept aside
    bool m_needProps = false;
    bool m_atEnd = false;
    std::vector<ULONG> m_columns;
    std::vector<PropertyView> m_views;
    std::vector<PropertyView> m_entryProps;
    BYTE m_entryId[kEntryIdSize] = {};
};

}  // namespace wab32
