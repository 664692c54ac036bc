#include "wab32/vcard/VCardBook.h"

#include "addressbook/DisplayNameOrder.h"
#include "wab32/vcard/VCardCard.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace wab32::vcard {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\f' || c == '\x1A';
}

bool IsMarker(std::string_view line, std::string_view marker) {
    while (!line.empty() && IsBlank(line.back())) {
        line.remove_suffix(1);
    }
    if (line.size() != marker.size()) {
        return false;
    }
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c) != marker[i]) {
            return false;
        }
    }
    return true;
}

// The property blob of a card that cannot be read: too short for even one
// record, so every read of the entry reports it as damaged.
constexpr std::string_view kUnreadableBlob = "\xFF";

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

  private:
    int m_fd;
};

// The private store the cards are read into.
class CardLoader {
  public:
    bool Begin() {
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(
            ":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
            nullptr);
        m_db.reset(raw);
        // 16 KiB pages hold the property records with a tenth less memory than
        // the default 4 KiB, at the same speed.
        const std::string setup =
            std::string("PRAGMA page_size=16384; PRAGMA journal_mode=OFF; BEGIN;") +
            kBookSchemaSql + "INSERT INTO book_format VALUES (" +
            std::to_string(kBookSchemaVersion) + ");";
        if (rc != SQLITE_OK ||
            sqlite3_exec(m_db.get(), setup.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            return false;
        }
        m_insert = Prepare(m_db.get(),
                           "INSERT INTO entries (stored_order, object_type, display_name, "
                           "sort_key, props) VALUES (?, ?, ?, ?, ?)");
        return m_insert != nullptr;
    }

    void Add(std::string_view body, bool whole) {
        if (!m_ok) {
            return;
        }
        const CardEntry entry = ReadCard(body, whole);
        m_blob.clear();
        for (const StoredProperty& p : entry.props) {
            AppendProperty(m_blob, p);
        }
        const std::string_view props = entry.readable ? std::string_view(m_blob) : kUnreadableBlob;
        const std::string key = DisplayNameSortKey(entry.displayName);
        sqlite3_stmt* s = m_insert.get();
        sqlite3_bind_int64(s, 1, ++m_count);
        sqlite3_bind_int64(s, 2, entry.objectType);
        sqlite3_bind_blob64(s, 3, entry.displayName.data(), entry.displayName.size(),
                            SQLITE_STATIC);
        sqlite3_bind_blob64(s, 4, key.data(), key.size(), SQLITE_STATIC);
        sqlite3_bind_blob64(s, 5, props.data(), props.size(), SQLITE_STATIC);
        m_ok = sqlite3_step(s) == SQLITE_DONE;
        sqlite3_reset(s);
    }

    OpenResult Finish() {
        m_insert.reset();
        if (!m_ok || sqlite3_exec(m_db.get(), "COMMIT;", nullptr, nullptr, nullptr) != SQLITE_OK) {
            return OpenFailure(MAPI_E_NOT_ENOUGH_MEMORY, "not enough memory for the contacts");
        }
        OpenResult ok;
        ok.db = std::move(m_db);
        return ok;
    }

  private:
    SqliteDb m_db;
    Statement m_insert;
    std::string m_blob;
    std::int64_t m_count = 0;
    bool m_ok = true;
};

}  // namespace

std::optional<bool> LooksLikeVCard(std::string_view prefix, bool whole) {
    if (prefix.starts_with(kByteOrderMark)) {
        prefix.remove_prefix(kByteOrderMark.size());
    } else if (!whole && kByteOrderMark.starts_with(prefix)) {
        return std::nullopt;
    }
    std::size_t start = 0;
    while (start < prefix.size() &&
           (IsBlank(prefix[start]) || prefix[start] == '\r' || prefix[start] == '\n')) {
        ++start;
    }
    const std::size_t end = prefix.find_first_of("\r\n", start);
    if (end == std::string_view::npos && !whole) {
        return std::nullopt;  // the first line may go on
    }
    return IsMarker(prefix.substr(start, end - start), "BEGIN:VCARD");
}

void CardSplitter::Feed(std::string_view text) {
    if (m_lastWasCr && !text.empty() && text[0] == '\n') {
        text.remove_prefix(1);
    }
    m_lastWasCr = false;
    while (!text.empty()) {
        std::size_t end = 0;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') {
            ++end;
        }
        if (end == text.size()) {
            m_partial.append(text);
            return;
        }
        if (m_partial.empty()) {
            Line(text.substr(0, end));
        } else {
            m_partial.append(text.substr(0, end));
            Line(m_partial);
            m_partial.clear();
        }
        std::size_t next = end + 1;
        if (text[end] == '\r') {
            if (next == text.size()) {
                m_lastWasCr = true;
            } else if (text[next] == '\n') {
                ++next;
            }
        }
        text.remove_prefix(next);
    }
}

void CardSplitter::Finish() {
    if (!m_partial.empty()) {
        Line(m_partial);
        m_partial.clear();
    }
    if (m_depth > 0 || m_junk) {
        m_sink(m_card, false);
    }
    m_depth = 0;
    m_junk = false;
}

void CardSplitter::Line(std::string_view line) {
    if (!m_started) {
        m_started = true;
        if (line.starts_with(kByteOrderMark)) {
            line.remove_prefix(kByteOrderMark.size());
        }
    }
    const bool begins = IsMarker(line, "BEGIN:VCARD");
    if (m_depth == 0) {
        if (begins) {
            if (m_junk) {
                m_sink(m_card, false);
                m_junk = false;
            }
            m_depth = 1;
            m_card.clear();
            return;
        }
        bool blank = true;
        for (char c : line) {
            blank = blank && IsBlank(c);
        }
        if (blank) {
            return;
        }
        if (!m_junk) {
            m_junk = true;
            m_card.clear();
        }
    } else {
        m_depth += begins ? 1 : 0;
        if (IsMarker(line, "END:VCARD") && --m_depth == 0) {
            m_sink(m_card, true);
            return;
        }
    }
    m_card.append(line);
    m_card.push_back('\n');
}

std::optional<OpenResult> OpenVCardBook(const std::filesystem::path& path) {
    // Not blocking on a FIFO or a device: only a regular file can be a vCard file.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    constexpr std::size_t kChunk = 1 << 20;
    std::unique_ptr<char[]> buffer(new char[kChunk]);
    std::string prefix;
    std::optional<bool> isVCard;
    CardLoader loader;
    CardSplitter splitter(
        [&loader](std::string_view body, bool whole) { loader.Add(body, whole); });
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer.get(), kChunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int err = errno;
            if (!isVCard) {
                return std::nullopt;
            }
            return OpenFailure(MAPI_E_NO_ACCESS, std::strerror(err));
        }
        const std::string_view chunk(buffer.get(), static_cast<std::size_t>(got));
        if (!isVCard) {
            prefix.append(chunk);
            isVCard = LooksLikeVCard(prefix, got == 0);
            if (!isVCard) {
                continue;
            }
            if (!*isVCard) {
                return std::nullopt;
            }
            if (!loader.Begin()) {
                return OpenFailure(MAPI_E_NOT_ENOUGH_MEMORY, "not enough memory for the contacts");
            }
            splitter.Feed(prefix);
            std::string().swap(prefix);
        } else {
            splitter.Feed(chunk);
        }
        if (got == 0) {
            break;
        }
    }
    splitter.Finish();
    return loader.Finish();
}

}  // namespace wab32::vcard
