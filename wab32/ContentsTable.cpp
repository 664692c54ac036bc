#include "wab32/ContentsTable.h"
#include "properties/PropertyTags.h"

#include "wab32/BookFile.h"
#include "wab32/PropertyBlock.h"
#include "wab32/WabAllocator.h"

#include <cstddef>

namespace wab32 {

namespace {

constexpr const char* kRowsSql =
    "SELECT id, object_type, display_name FROM entries ORDER BY sort_key, stored_order";
constexpr const char* kRowsWithPropsSql =
    "SELECT id, object_type, display_name, props FROM entries ORDER BY sort_key, stored_order";
// The same rows read from the table itself and sorted, for a book whose index
// does not list the rows of its table.
constexpr const char* kTableRowsSql =
    "SELECT id, object_type, display_name FROM entries NOT INDEXED "
    "ORDER BY sort_key, stored_order";
constexpr const char* kTableRowsWithPropsSql =
    "SELECT id, object_type, display_name, props FROM entries NOT INDEXED "
    "ORDER BY sort_key, stored_order";

bool Matches(ULONG column, ULONG tag) {
    return PROP_ID(column) == PROP_ID(tag) &&
           (PROP_TYPE(column) == 0 || PROP_TYPE(column) == PROP_TYPE(tag));
}

bool IsKeptAside(ULONG column) {
    return Matches(column, PR_ENTRYID) || Matches(column, PR_OBJECT_TYPE) ||
           Matches(column, PR_DISPLAY_NAME_A);
}

}  // namespace

CWabContentsTable::CWabContentsTable(std::shared_ptr<CBookStore> store)
    : m_store(std::move(store)),
      m_fromTable(!IndexListsTheTable(m_store->Db())),
      m_rows(Prepare(m_store->Db(), m_fromTable ? kTableRowsSql : kRowsSql)),
      m_columns{PR_DISPLAY_NAME_A, PR_ENTRYID, PR_OBJECT_TYPE} {}

sqlite3_stmt* CWabContentsTable::Current() const {
    return m_needProps ? m_rowsProps.get() : m_rows.get();
}

void CWabContentsTable::Rewind() {
    sqlite3_reset(Current());
    m_atEnd = false;
}

HRESULT CWabContentsTable::SetColumns(const SPropTagArray* lpPropTagArray, ULONG /*ulFlags*/) {
    if (lpPropTagArray == nullptr ||
        (lpPropTagArray->cValues > 0 && lpPropTagArray->aulPropTag == nullptr)) {
        return MAPI_E_INVALID_PARAMETER;
    }
    std::vector<ULONG> columns(lpPropTagArray->aulPropTag,
                               lpPropTagArray->aulPropTag + lpPropTagArray->cValues);
    bool needProps = false;
    for (ULONG c : columns) {
        needProps = needProps || !IsKeptAside(c);
    }
    if (needProps && !m_rowsProps) {
        m_rowsProps =
            Prepare(m_store->Db(), m_fromTable ? kTableRowsWithPropsSql : kRowsWithPropsSql);
        if (!m_rowsProps) {
            return ResultOfSqlite(sqlite3_errcode(m_store->Db()));
        }
    }
    // Another statement reads the rows from now on: start it at the beginning.
    if (needProps != m_needProps) {
        Rewind();
        m_needProps = needProps;
        Rewind();
    }
    m_columns = std::move(columns);
    return S_OK;
}

HRESULT CWabContentsTable::Step() {
    if (m_atEnd) {
        return 0;
    }
    const int rc = sqlite3_step(Current());
    if (rc == SQLITE_ROW) {
        return 1;
    }
    m_atEnd = true;
    if (rc != SQLITE_DONE) {
        return ResultOfSqlite(rc);
    }
    // Read from the table because the index disagreed with it: every row the
    // table holds was given, but the book is damaged and that is told.
    return m_fromTable ? MAPI_E_CORRUPT_DATA : 0;
}

HRESULT CWabContentsTable::SeekRow(ULONG bkOrigin, LONG lRowCount, LONG* lplRowsSought) {
    constexpr ULONG kBookmarkCurrent = 1;
    if (lplRowsSought != nullptr) {
        *lplRowsSought = 0;
    }
    if ((bkOrigin != BOOKMARK_BEGINNING && bkOrigin != kBookmarkCurrent) || lRowCount < 0) {
        return MAPI_E_NO_SUPPORT;
    }
    if (bkOrigin == BOOKMARK_BEGINNING) {
        Rewind();
    }
    LONG sought = 0;
    while (sought < lRowCount) {
        const HRESULT hr = Step();
        if (FAILED(hr)) {
            return hr;
        }
        if (hr == 0) {
            break;
        }
        ++sought;
    }
    if (lplRowsSought != nullptr) {
        *lplRowsSought = sought;
    }
    return S_OK;
}

HRESULT CWabContentsTable::BuildRow(SPropValue** lppProps) {
    sqlite3_stmt* s = Current();
    const sqlite3_int64 id = sqlite3_column_int64(s, 0);
    if (id <= 0 || id > 0xFFFFFFFF) {
        return MAPI_E_CORRUPT_DATA;
    }
    EncodeEntryId(EntryKind::Entry, static_cast<std::uint32_t>(id), m_entryId);
    const bool hasName = sqlite3_column_type(s, 2) != SQLITE_NULL;
    const std::string_view name(static_cast<const char*>(sqlite3_column_blob(s, 2)),
                                static_cast<std::size_t>(sqlite3_column_bytes(s, 2)));
    if (m_needProps) {
        const std::string_view blob(static_cast<const char*>(sqlite3_column_blob(s, 3)),
                                    static_cast<std::size_t>(sqlite3_column_bytes(s, 3)));
        // As CBookStore::ReadEntry: properties that are no blob are damage.
        if (sqlite3_column_type(s, 3) != SQLITE_BLOB && !blob.empty()) {
            return MAPI_E_CORRUPT_DATA;
        }
        const HRESULT hr = SelectProperties(blob, nullptr, m_entryProps);
        if (FAILED(hr)) {
            return hr;
        }
    }
    m_views.clear();
    for (ULONG c : m_columns) {
        PropertyView v;
        if (Matches(c, PR_ENTRYID)) {
            v.tag = PR_ENTRYID;
            v.data = std::string_view(reinterpret_cast<const char*>(m_entryId), kEntryIdSize);
        } else if (Matches(c, PR_OBJECT_TYPE)) {
            v.tag = PR_OBJECT_TYPE;
            v.integer = static_cast<std::int32_t>(sqlite3_column_int64(s, 1));
        } else if (Matches(c, PR_DISPLAY_NAME_A) && hasName) {
            v.tag = PR_DISPLAY_NAME_A;
            v.data = name;
        } else {
            v = MissingProperty(c);
            for (const PropertyView& p : m_entryProps) {
                if (m_needProps && Matches(c, p.tag)) {
                    v = p;
                }
            }
        }
        m_views.push_back(v);
    }
    return BuildPropertyBlock(m_views, lppProps);
}

HRESULT CWabContentsTable::QueryRows(LONG lRowCount, ULONG /*ulFlags*/, SRowSet** lppRows) {
    if (lppRows == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    *lppRows = nullptr;
    if (lRowCount <= 0) {
        return MAPI_E_INVALID_PARAMETER;
    }
    std::vector<SRow> rows;
    HRESULT hr = S_OK;
    while (rows.size() < static_cast<std::size_t>(lRowCount)) {
        hr = Step();
        if (hr != 1) {
            break;
        }
        SPropValue* props = nullptr;
        hr = BuildRow(&props);
        if (FAILED(hr)) {
            break;
        }
        rows.push_back(SRow{0, static_cast<ULONG>(m_columns.size()), props});
    }
    void* block = nullptr;
    if (!FAILED(hr)) {
        const std::size_t extra = rows.size() > 1 ? rows.size() - 1 : 0;
        hr = AllocateBlock(static_cast<ULONG>(sizeof(SRowSet) + extra * sizeof(SRow)), &block);
    }
    if (FAILED(hr)) {
        for (SRow& r : rows) {
            FreeBlock(r.lpProps);
        }
        return hr;
    }
    auto* set = static_cast<SRowSet*>(block);
    set->cRows = static_cast<ULONG>(rows.size());
    SRow* out = set->aRow;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out[i] = rows[i];
    }
    *lppRows = set;
    return S_OK;
}

}  // namespace wab32
