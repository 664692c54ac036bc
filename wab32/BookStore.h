// One opened book: the read-only connection and the statements every object
// of that book shares. Objects hold it by shared_ptr, so it lives until the
// last of them is released.
#pragma once

#include "properties/WabDefs.h"
#include "wab32/SqliteHandles.h"

#include <cstdint>
#include <string>

namespace wab32 {

HRESULT ResultOfSqlite(int rc);

class CBookStore {
  public:
    explicit CBookStore(SqliteDb db);
    bool Ready() const { return m_readEntry != nullptr; }
    sqlite3* Db() const { return m_db.get(); }

    // Reads one entry's object type and property blob; MAPI_E_NOT_FOUND if
    // there is no such entry.
    HRESULT ReadEntry(std::uint32_t rowId, ULONG& objectType, std::string& blob);

  private:
    SqliteDb m_db;
    Statement m_readEntry;
};

}  // namespace wab32
