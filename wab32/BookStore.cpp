#include "wab32/BookStore.h"

namespace wab32 {

HRESULT ResultOfSqlite(int rc) {
    switch (rc & 0xFF) {
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_FORMAT:
        case SQLITE_MISMATCH:
            return MAPI_E_CORRUPT_DATA;
        case SQLITE_NOMEM:
            return MAPI_E_NOT_ENOUGH_MEMORY;
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return MAPI_E_NO_ACCESS;
        default:
            return MAPI_E_CALL_FAILED;
    }
}

CBookStore::CBookStore(SqliteDb db)
    : m_db(std::move(db)),
      m_readEntry(Prepare(m_db.get(), "SELECT object_type, props FROM entries WHERE id = ?")) {
    // One read transaction for the life of the book: every call sees the same
    // entries, and SQLite neither locks the file nor drops its page cache per
    // statement. Books are replaced by renaming, so no writer waits for it.
    if (sqlite3_exec(m_db.get(), "BEGIN; SELECT count(*) FROM book_format;", nullptr, nullptr,
                     nullptr) != SQLITE_OK) {
        m_readEntry.reset();
    }
}

HRESULT CBookStore::ReadEntry(std::uint32_t rowId, ULONG& objectType, std::string& blob) {
    sqlite3_stmt* s = m_readEntry.get();
    sqlite3_bind_int64(s, 1, rowId);
    const int rc = sqlite3_step(s);
    HRESULT hr = S_OK;
    if (rc == SQLITE_ROW) {
        objectType = static_cast<ULONG>(sqlite3_column_int64(s, 0));
        const void* p = sqlite3_column_blob(s, 1);
        const int n = sqlite3_column_bytes(s, 1);
        if (sqlite3_column_type(s, 1) != SQLITE_BLOB && n != 0) {
            hr = MAPI_E_CORRUPT_DATA;
        } else {
            blob.assign(static_cast<const char*>(p), static_cast<std::size_t>(n));
        }
    } else if (rc == SQLITE_DONE) {
        hr = MAPI_E_NOT_FOUND;
    } else {
        hr = ResultOfSqlite(rc);
    }
    sqlite3_reset(s);
    return hr;
}

}  // namespace wab32
