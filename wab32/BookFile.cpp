#include "wab32/BookFile.h"

#include "addressbook/DisplayNameOrder.h"
#include "platform/InputPath.h"
#include "platform/TempFileCleanup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace wab32 {

namespace {

std::uint32_t BigEndian32(const unsigned char* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
}

// Checks the 100-byte file header before SQLite sees the file, so that a
// file in write-ahead-log mode (whose readers create files) or a truncated
// one is refused without touching it.
OpenResult CheckHeader(const std::filesystem::path& path) {
    // Not blocking: a FIFO put in the book's place is refused, not waited on.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        return OpenFailure(err == ENOENT ? MAPI_E_NOT_FOUND : MAPI_E_NO_ACCESS, std::strerror(err));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return OpenFailure(MAPI_E_INVALID_OBJECT, "not a regular file");
    }
    std::array<unsigned char, 100> h{};
    const ssize_t got = ::pread(fd, h.data(), h.size(), 0);
    const off_t size = ::lseek(fd, 0, SEEK_END);
    ::close(fd);
    if (got != static_cast<ssize_t>(h.size()) ||
        std::memcmp(h.data(), "SQLite format 3", 16) != 0 ||
        BigEndian32(&h[68]) != static_cast<std::uint32_t>(kBookApplicationId)) {
        return OpenFailure(MAPI_E_INVALID_OBJECT, "not an address book");
    }
    if (h[18] != 1 || h[19] != 1) {
        return OpenFailure(MAPI_E_VERSION, "book is not in rollback-journal mode");
    }
    std::uint32_t pageSize = (static_cast<std::uint32_t>(h[16]) << 8) | h[17];
    if (pageSize == 1) {
        pageSize = 65536;
    }
    const std::uint32_t pageCount = BigEndian32(&h[28]);
    const bool countValid = BigEndian32(&h[24]) == BigEndian32(&h[92]);
    if (pageSize < 512 || size < 0 || static_cast<std::uint64_t>(size) % pageSize != 0 ||
        (countValid &&
         static_cast<std::uint64_t>(size) != static_cast<std::uint64_t>(pageCount) * pageSize)) {
        return OpenFailure(MAPI_E_CORRUPT_DATA, "book is damaged (truncated)");
    }
    return OpenResult{};
}

bool QueryInt(sqlite3* db, const char* sql, std::int64_t& value) {
    Statement stmt = Prepare(db, sql);
    if (!stmt || sqlite3_step(stmt.get()) != SQLITE_ROW) {
        return false;
    }
    value = sqlite3_column_int64(stmt.get(), 0);
    return true;
}

// Whether the book's schema is exactly the one quorvel-book writes: real
// tables with their keys and the one index, and nothing else (no view,
// trigger or virtual table that reading could run).
bool HasBookSchema(sqlite3* db) {
    std::vector<std::string> expected;
    const std::string_view all = kBookSchemaSql;
    for (std::size_t start = 0; start < all.size();) {
        std::size_t end = all.find(';', start);
        end = end == std::string_view::npos ? all.size() : end;
        const std::string_view statement = all.substr(start, end - start);
        const std::size_t first = statement.find("CREATE");
        if (first != std::string_view::npos) {
            expected.emplace_back(statement.substr(first));
        }
        start = end + 1;
    }
    Statement stmt = Prepare(db, "SELECT sql FROM sqlite_schema ORDER BY rowid");
    if (!stmt) {
        return false;
    }
    std::size_t seen = 0;
    for (int rc = sqlite3_step(stmt.get()); rc != SQLITE_DONE; rc = sqlite3_step(stmt.get())) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
        if (rc != SQLITE_ROW || seen == expected.size() || text == nullptr ||
            expected[seen] != text) {
            return false;
        }
        ++seen;
    }
    return seen == expected.size();
}

// The system's file layer as books are read through it: BOOK-wal is never
// seen and no log is opened, so a stray log is neither shown nor applied and
// BOOK-shm is never created or written; nothing is deleted. BOOK-journal is
// seen: SQLite refuses a book with a hot one (SQLITE_READONLY_ROLLBACK).
sqlite3_vfs g_base{};
sqlite3_vfs g_reader{};

int ReaderOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    if ((flags & SQLITE_OPEN_WAL) != 0) {
        return SQLITE_CANTOPEN;
    }
    return g_base.xOpen(&g_base, name, file, flags, outFlags);
}

int ReaderAccess(sqlite3_vfs*, const char* name, int flags, int* result) {
    if (std::string_view(name).ends_with("-wal")) {
        *result = 0;
        return SQLITE_OK;
    }
    return g_base.xAccess(&g_base, name, flags, result);
}

int ReaderDelete(sqlite3_vfs*, const char*, int) {
    return SQLITE_IOERR_DELETE;
}

// Registered on first use and unregistered when the library is unloaded:
// SQLite, which may stay loaded, keeps a pointer to it.
struct ReaderRegistration {
    bool registered = false;
    ReaderRegistration() {
        const sqlite3_vfs* base = sqlite3_vfs_find(nullptr);
        if (base != nullptr) {
            g_base = *base;
            g_reader = *base;
            g_reader.zName = "quorvel-book-reader";
            g_reader.pNext = nullptr;
            g_reader.xOpen = ReaderOpen;
            g_reader.xAccess = ReaderAccess;
            g_reader.xDelete = ReaderDelete;
            registered = sqlite3_vfs_register(&g_reader, 0) == SQLITE_OK;
        }
    }
    ~ReaderRegistration() {
        if (registered) {
            sqlite3_vfs_unregister(&g_reader);
        }
    }
};

// The reader's name for sqlite3_open_v2; null when it could not be registered.
const char* ReaderVfs() {
    static const ReaderRegistration registration;
    return registration.registered ? g_reader.zName : nullptr;
}

// Limits what a hostile file can make the connection do.
void MakeDefensive(sqlite3* db) {
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kMaxValueBytes);
}

// A fingerprint of the rows a listing shows, read once through the index and
// once from the table: their count, and sums of their ids, of products of
// their ids' residues and of their object types. Each summed term is reduced
// modulo the prime 2^31 - 1 first, so no sum can overflow: a book holds fewer
// than 2^32 entries, and 2^32 terms below 2^31 in size stay below 2^63.
constexpr const char* kIndexFingerprintSql =
    "SELECT count(*), sum(id % 2147483647), sum((id % 1000003) * (id % 999983) % 2147483647), "
    "sum(object_type % 2147483647) FROM entries INDEXED BY entries_by_name";
constexpr const char* kTableFingerprintSql =
    "SELECT count(*), sum(id % 2147483647), sum((id % 1000003) * (id % 999983) % 2147483647), "
    "sum(object_type % 2147483647) FROM entries NOT INDEXED";
// The largest term, times 2^32 terms, fits in a 64-bit sum.
static_assert(2147483647 - 1 <= INT64_MAX / (std::int64_t{1} << 32));
constexpr int kFingerprintSize = 4;

bool ReadFingerprint(sqlite3* db, const char* sql, sqlite3_int64 (&out)[kFingerprintSize]) {
    Statement stmt = Prepare(db, sql);
    if (!stmt || sqlite3_step(stmt.get()) != SQLITE_ROW) {
        return false;
    }
    for (int i = 0; i < kFingerprintSize; ++i) {
        out[i] = sqlite3_column_int64(stmt.get(), i);
    }
    return true;
}

}  // namespace

bool IndexListsTheTable(sqlite3* db) {
    sqlite3_int64 index[kFingerprintSize] = {};
    sqlite3_int64 table[kFingerprintSize] = {};
    return ReadFingerprint(db, kIndexFingerprintSql, index) &&
           ReadFingerprint(db, kTableFingerprintSql, table) &&
           std::equal(std::begin(index), std::end(index), std::begin(table));
}

OpenResult OpenBookReadOnly(const std::filesystem::path& given) {
    const std::filesystem::path path = PlainFilePath(given);
    OpenResult checked = CheckHeader(path);
    if (checked.hr != S_OK) {
        return checked;
    }
    sqlite3* raw = nullptr;
    const char* vfs = ReaderVfs();
    const int rc =
        vfs == nullptr
            ? SQLITE_ERROR
            : sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, vfs);
    SqliteDb db(raw);
    if (rc != SQLITE_OK) {
        return OpenFailure(MAPI_E_NO_ACCESS, raw != nullptr ? sqlite3_errmsg(raw) : "cannot open");
    }
    MakeDefensive(db.get());
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    std::int64_t appId = 0;
    std::int64_t version = 0;
    std::int64_t schemaRows = 0;
    if (!QueryInt(db.get(), "PRAGMA application_id", appId) ||
        !QueryInt(db.get(), "SELECT count(*) FROM sqlite_schema", schemaRows)) {
        const int err = sqlite3_extended_errcode(db.get());
        if (err == SQLITE_READONLY_ROLLBACK) {
            return OpenFailure(MAPI_E_OBJECT_CHANGED,
                               "a change was left unfinished in BOOK-journal");
        }
        if ((err & 0xFF) == SQLITE_BUSY || (err & 0xFF) == SQLITE_LOCKED) {
            return OpenFailure(MAPI_E_CALL_FAILED, "book is locked by another program");
        }
        return OpenFailure(MAPI_E_CORRUPT_DATA, "book is damaged");
    }
    if (appId != kBookApplicationId || !HasBookSchema(db.get()) ||
        !QueryInt(db.get(), "SELECT schema_version FROM book_format", version)) {
        return OpenFailure(MAPI_E_INVALID_OBJECT, "not an address book");
    }
    if (version != kBookSchemaVersion) {
        return OpenFailure(MAPI_E_VERSION, "unsupported book version");
    }
    OpenResult ok;
    ok.db = std::move(db);
    return ok;
}

CBookWriter::~CBookWriter() {
    m_insert.reset();
    m_db.reset();
    if (!m_temp.empty()) {
        std::error_code ec;
        std::filesystem::remove(m_temp, ec);
        std::filesystem::remove(m_temp.string() + "-journal", ec);
    }
    UnregisterTempFile(m_tempSlot);
}

bool CBookWriter::Fail(const std::string& what) {
    m_error = what;
    if (m_db) {
        m_error += ": ";
        m_error += sqlite3_errmsg(m_db.get());
    }
    return false;
}

bool CBookWriter::Begin(const std::filesystem::path& target) {
    m_target = PlainFilePath(target);
    // Through a link, the file it names is replaced, never the link.
    std::error_code ec;
    if (std::filesystem::is_symlink(m_target, ec)) {
        const std::filesystem::path named = std::filesystem::canonical(m_target, ec);
        m_target = ec ? m_target : named;
    }
    std::string tmpl = m_target.string() + ".tmp-XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        m_error = std::string("cannot create a temporary file beside it: ") + std::strerror(errno);
        return false;
    }
    ::close(fd);
    m_temp = tmpl;
    m_tempSlot = RegisterTempFile(tmpl.c_str());
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(m_temp.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    m_db.reset(raw);
    if (rc != SQLITE_OK) {
        return Fail("cannot create the book");
    }
    // The temporary file is thrown away on failure, so no journal is needed.
    // Entries wait in a private staging database until Commit writes them in
    // display-name order, so that reading a book in that order reads it
    // front to back.
    const std::string setup = std::string("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;") +
                              "PRAGMA application_id=" + std::to_string(kBookApplicationId) +
                              "; ATTACH '' AS staging; BEGIN;" + kBookSchemaSql +
                              "INSERT INTO book_format VALUES (" +
                              std::to_string(kBookSchemaVersion) +
                              ");"
                              "CREATE TABLE staging.pending (seq INTEGER PRIMARY KEY, "
                              "object_type, display_name, sort_key, props);";
    if (sqlite3_exec(m_db.get(), setup.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        return Fail("cannot create the book");
    }
    m_insert = Prepare(m_db.get(),
                       "INSERT INTO staging.pending (object_type, display_name, sort_key, props) "
                       "VALUES (?, ?, ?, ?)");
    if (!m_insert) {
        return Fail("cannot create the book");
    }
    return true;
}

bool CBookWriter::AddEntry(ULONG objectType, const std::vector<StoredProperty>& props) {
    m_blob.clear();
    for (const StoredProperty& p : props) {
        AppendProperty(m_blob, p);
    }
    const std::optional<std::string> name = DisplayNameOf(props);
    const std::string key = DisplayNameSortKey(name.value_or(std::string()));
    sqlite3_stmt* s = m_insert.get();
    sqlite3_bind_int64(s, 1, objectType);
    if (name) {
        sqlite3_bind_blob64(s, 2, name->data(), name->size(), SQLITE_STATIC);
    } else {
        sqlite3_bind_null(s, 2);
    }
    sqlite3_bind_blob64(s, 3, key.data(), key.size(), SQLITE_STATIC);
    sqlite3_bind_blob64(s, 4, m_blob.data(), m_blob.size(), SQLITE_STATIC);
    const int rc = sqlite3_step(s);
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    if (rc != SQLITE_DONE) {
        return Fail("cannot write an entry");
    }
    return true;
}

bool CBookWriter::Commit(bool overwrite) {
    m_insert.reset();
    constexpr const char* kWriteInOrder =
        "CREATE INDEX staging.pending_by_name ON pending (sort_key, seq);"
        "INSERT INTO main.entries (stored_order, object_type, display_name, sort_key, props) "
        "SELECT seq, object_type, display_name, sort_key, props FROM staging.pending "
        "ORDER BY sort_key, seq;"
        "COMMIT; DETACH staging;";
    if (sqlite3_exec(m_db.get(), kWriteInOrder, nullptr, nullptr, nullptr) != SQLITE_OK) {
        return Fail("cannot write the book");
    }
    if (sqlite3_close(m_db.release()) != SQLITE_OK) {
        m_error = "cannot close the book";
        return false;
    }
    const int fd = ::open(m_temp.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        m_error = std::string("cannot write the book: ") + std::strerror(errno);
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    ::close(fd);
    ::chmod(
        m_temp.c_str(), 0644 & ~[] {
            const mode_t m = ::umask(0);
            ::umask(m);
            return m;
        }());
    if (overwrite) {
        // A device, FIFO, folder or link is never replaced by a book.
        struct stat info {};
        if (::lstat(m_target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
            m_error = "not a regular file (only a regular file is replaced)";
            return false;
        }
        if (std::rename(m_temp.c_str(), m_target.c_str()) != 0) {
            m_error = std::string("cannot rename into place: ") + std::strerror(errno);
            return false;
        }
    } else {
        // link() fails when the target exists, so a book is never overwritten.
        if (::link(m_temp.c_str(), m_target.c_str()) != 0) {
            m_error = errno == EEXIST ? std::string("file exists (use --force to replace it)")
                                      : std::string("cannot create: ") + std::strerror(errno);
            return false;
        }
        ::unlink(m_temp.c_str());
    }
    m_temp.clear();
    UnregisterTempFile(m_tempSlot);
    m_tempSlot = -1;
    return true;
}

}  // namespace wab32
