// Opening and creating book files.
#pragma once

#include "properties/WabDefs.h"
#include "wab32/BookFormat.h"
#include "wab32/SqliteHandles.h"

#include <filesystem>
#include <string>
#include <utility>

namespace wab32 {

// How long a reader waits for another writer's lock before it gives up.
inline constexpr int kBusyTimeoutMs = 1000;

struct OpenResult {
    SqliteDb db;
    HRESULT hr = S_OK;
    std::string reason;  // why the book could not be opened
};

// A book that did not open: the code WABOpen gives and why.
inline OpenResult OpenFailure(HRESULT hr, std::string reason) {
    OpenResult failed;
    failed.hr = hr;
    failed.reason = std::move(reason);
    return failed;
}

// Opens an existing book read-only after checking that it is one: an SQLite
// file in rollback-journal mode, whole (not truncated), with this library's
// application id, schema and schema version. The file is never written. The
// connection is defensive (no views, no functions of the schema's choosing,
// values up to kMaxValueBytes), so a hostile file costs bounded work.
inline constexpr int kMaxValueBytes = 64 * 1024 * 1024;
OpenResult OpenBookReadOnly(const std::filesystem::path& path);

// Whether the display-name index lists exactly the table's rows (compared by
// count, ids and object types, in sums that cannot overflow). One damaged
// byte in it could otherwise lose a contact, or list one twice, unnoticed.
bool IndexListsTheTable(sqlite3* db);

// Writes a new book: entries are added inside one transaction to a temporary
// file beside the target, which is renamed into place by Commit. A writer
// destroyed without Commit removes its temporary file.
class CBookWriter {
  public:
    CBookWriter() = default;
    ~CBookWriter();
    CBookWriter(const CBookWriter&) = delete;
    CBookWriter& operator=(const CBookWriter&) = delete;

    bool Begin(const std::filesystem::path& target);
    bool AddEntry(ULONG objectType, const std::vector<StoredProperty>& props);
    // overwrite false: fails if the target exists by then.
    bool Commit(bool overwrite);
    const std::string& Error() const { return m_error; }

  private:
    bool Fail(const std::string& what);

    std::filesystem::path m_target;
    std::filesystem::path m_temp;
    int m_tempSlot = -1;  // the temporary file's place among those a signal removes
    SqliteDb m_db;
    Statement m_insert;
    std::string m_blob;
    std::string m_error;
};

}  // namespace wab32
