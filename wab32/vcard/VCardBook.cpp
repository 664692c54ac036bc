#include "wab32/vcard/VCardBook.h"

#include "addressbook/DisplayNameOrder.h"
#include "wab32/vcard/VCardLine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace wab32::vcard {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
constexpr std::string_view kBegin = "BEGIN:VCARD";
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
// Buffers larger than this are given back after use rather than kept.
constexpr std::size_t kLongText = std::size_t{1} << 24;

bool IsAllBlank(std::string_view s) {
    return std::all_of(s.begin(), s.end(), IsBlank);
}

// An AGENT line without a value: a 2.1 agent's card follows it.
bool IsBareAgent(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || !IsAllBlank(line.substr(colon + 1))) {
        return false;
    }
    std::string_view name = line.substr(0, std::min(line.find(';'), colon));
    name.remove_prefix(std::min(name.size(), name.rfind('.') + 1));
    return EqualsNoCase(name, "AGENT");
}

bool HasVCardName(const std::filesystem::path& path) {
    const std::string ext = path.extension().string();
    return EqualsNoCase(ext, ".vcf") || EqualsNoCase(ext, ".vcard");
}

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

    void Add(CardEntry entry) {
        if (!m_db && !Begin()) {
            m_ok = false;
        }
        if (!m_ok) {
            return;
        }
        m_blob.clear();
        for (const StoredProperty& p : entry.props) {
            AppendProperty(m_blob, p);
        }
        std::vector<StoredProperty>().swap(entry.props);  // a long value is held once, in the blob
        const std::string key = DisplayNameSortKey(entry.displayName);
        sqlite3_stmt* s = m_insert.get();
        sqlite3_bind_int64(s, 1, ++m_count);
        sqlite3_bind_int64(s, 2, entry.objectType);
        sqlite3_bind_blob64(s, 3, entry.displayName.data(), entry.displayName.size(),
                            SQLITE_STATIC);
        sqlite3_bind_blob64(s, 4, key.data(), key.size(), SQLITE_STATIC);
        // A damaged card's properties are the text of why: not a property
        // blob, so every read of the entry fails and is counted.
        if (entry.damage) {
            sqlite3_bind_text64(s, 5, entry.damage->data(), entry.damage->size(), SQLITE_STATIC,
                                SQLITE_UTF8);
        } else {
            sqlite3_bind_blob64(s, 5, m_blob.data(), m_blob.size(), SQLITE_STATIC);
        }
        m_ok = sqlite3_step(s) == SQLITE_DONE;
        sqlite3_reset(s);
        if (m_blob.capacity() > kLongText) {
            std::string().swap(m_blob);
        }
    }

    OpenResult Finish() {
        if (!m_db && !Begin()) {
            m_ok = false;
        }
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

CardReader::~CardReader() {
    if (m_utf16 != kNoConverter) {
        iconv_close(m_utf16);
    }
}

void CardReader::Feed(std::string_view bytes) {
    Decode(bytes, false);
}

void CardReader::Finish() {
    Decode({}, true);
    StartText(true);
    if (m_kind == FileKind::Unknown) {
        m_kind = m_matched == 0               ? FileKind::Blank
                 : m_matched == kBegin.size() ? FileKind::VCard
                                              : FileKind::NotVCard;
    }
    if (m_kind == FileKind::NotVCard) {
        return;
    }
    Line(m_lineStart);  // the last line, without a line end (or none: empty)
    if (m_depth > 0) {
        Emit(CardEnd::Unended);
    } else if (m_junk) {
        Emit(CardEnd::Outside);
    }
}

// The file's encoding: a UTF-16 byte order mark, else UTF-8.
void CardReader::Decode(std::string_view bytes, bool last) {
    if (!m_sniffed) {
        m_pending.append(bytes);
        if (m_pending.size() < 2 && !last) {
            return;
        }
        m_sniffed = true;
        bytes = {};
        const bool le = m_pending.starts_with("\xFF\xFE");
        if (le || m_pending.starts_with("\xFE\xFF")) {
            m_utf16 = iconv_open("UTF-8", le ? "UTF-16LE" : "UTF-16BE");
            m_byteOrderMark = true;
            m_pending.erase(0, 2);
        } else {
            std::string head;
            head.swap(m_pending);
            Text(head);
            return;
        }
    }
    if (m_utf16 == kNoConverter) {
        Text(bytes);
        return;
    }
    m_pending.append(bytes);
    char* in = m_pending.data();
    std::size_t inLeft = m_pending.size();
    while (inLeft > 0) {
        // Two bytes of UTF-16 make at most three of UTF-8, four make four.
        m_converted.resize(inLeft * 2 + 4);
        char* out = m_converted.data();
        std::size_t outLeft = m_converted.size();
        const std::size_t rc = iconv(m_utf16, &in, &inLeft, &out, &outLeft);
        const int err = errno;
        Text(std::string_view(m_converted.data(), m_converted.size() - outLeft));
        if (rc != static_cast<std::size_t>(-1)) {
            continue;
        }
        if (err == EINVAL && !last) {
            break;  // a character goes on in the next piece
        }
        // Not UTF-16 (a lone surrogate, an odd last byte): one replacement character.
        Text(kReplacement);
        const std::size_t skip = std::min<std::size_t>(inLeft, 2);
        in += skip;
        inLeft -= skip;
    }
    m_pending.erase(0, m_pending.size() - inLeft);
}

void CardReader::Text(std::string_view text) {
    if (m_atStart) {
        m_head.append(text);
        StartText(false);
    } else {
        Split(text);
    }
}

// The start of the UTF-8 text: byte order marks are dropped, however many.
void CardReader::StartText(bool last) {
    if (!m_atStart) {
        return;
    }
    while (m_head.starts_with(kByteOrderMark)) {
        m_head.erase(0, kByteOrderMark.size());
        m_byteOrderMark = true;
    }
    if (!last && kByteOrderMark.starts_with(m_head)) {
        return;  // a mark may be coming
    }
    m_atStart = false;
    std::string head;
    head.swap(m_head);
    Split(head);
}

void CardReader::Split(std::string_view text) {
    if (m_kind == FileKind::Unknown) {
        Detect(text);
    }
    if (m_kind == FileKind::NotVCard) {
        return;
    }
    if (m_lastWasCr && !text.empty() && text[0] == '\n') {
        text.remove_prefix(1);
    }
    m_lastWasCr = false;
    while (!text.empty()) {
        std::size_t end = 0;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') {
            ++end;
        }
        m_card.append(text.data(), end);
        if (end == text.size()) {
            return;
        }
        std::size_t next = end + 1;
        if (text[end] == '\r') {
            if (next == text.size()) {
                m_lastWasCr = true;
            } else if (text[next] == '\n') {
                ++next;
            }
        }
        Line(m_lineStart);
        text.remove_prefix(next);
    }
}

// The first non-blank line decides, character by character, so that a file
// of another kind is refused at its first bytes.
void CardReader::Detect(std::string_view text) {
    for (char c : text) {
        if (m_matched == 0 && (IsBlank(c) || c == '\r' || c == '\n')) {
            continue;
        }
        if (m_matched < kBegin.size()) {
            if (!EqualsNoCase(std::string_view(&c, 1), kBegin.substr(m_matched, 1))) {
                m_kind = FileKind::NotVCard;
                return;
            }
            ++m_matched;
        } else if (c == '\r' || c == '\n') {
            m_kind = FileKind::VCard;
            return;
        } else if (!IsBlank(c)) {
            m_kind = FileKind::NotVCard;
            return;
        }
    }
}

void CardReader::Line(std::size_t start) {
    std::string_view line(m_card.data() + start, m_card.size() - start);
    if (m_depth > 0 && !m_indent.empty() && line.starts_with(m_indent)) {
        // An indented card: its lines lose the indent of its BEGIN:VCARD.
        m_card.erase(start, m_indent.size());
        line = std::string_view(m_card.data() + start, m_card.size() - start);
    }
    const auto keep = [this]() {
        m_card.push_back('\n');
        m_lineStart = m_card.size();
    };
    if (m_depth == 0) {
        const bool begins = IsCardMarker(line, kBegin);
        m_junk = m_junk || (!begins && !IsAllBlank(line));
        if (begins) {
            m_indent.assign(line.substr(0, line.find_first_not_of(" \t\f\x1A")));
        }
        m_card.resize(start);
        if (begins) {
            if (m_junk) {
                Emit(CardEnd::Outside);
            }
            m_depth = 1;
            m_afterAgent = false;
        }
        return;
    }
    const bool folded = !line.empty() && (line[0] == ' ' || line[0] == '\t');
    if (!folded && IsCardMarker(line, kBegin)) {
        if (m_afterAgent) {
            m_afterAgent = false;
            ++m_depth;
            keep();
            return;
        }
        // A card that never ended: it is damaged, the new one starts here.
        m_card.resize(start);
        Emit(CardEnd::Unended);
        m_depth = 1;
        return;
    }
    if (!folded && IsCardMarker(line, "END:VCARD")) {
        if (--m_depth > 0) {
            keep();
            return;
        }
        m_card.resize(start);
        Emit(CardEnd::Ended);
        return;
    }
    if (!line.empty()) {
        m_afterAgent = folded ? m_afterAgent && IsAllBlank(line.substr(1)) : IsBareAgent(line);
    }
    keep();
}

void CardReader::Emit(CardEnd end) {
    m_sink(m_card, end, m_utf16 != kNoConverter);
    m_card.clear();
    if (m_card.capacity() > kLongText) {
        std::string().swap(m_card);  // one long card does not hold its memory
    }
    m_lineStart = 0;
    m_junk = false;
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
    CardLoader loader;
    CardReader reader([&loader](std::string& body, CardEnd end, bool unicodeFile) {
        CardEntry entry = ReadCard(body, end, unicodeFile);
        if (body.capacity() > kLongText) {
            std::string().swap(body);  // not held while the entry is stored
        }
        loader.Add(std::move(entry));
    });
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer.get(), kChunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int err = errno;
            if (reader.Kind() != FileKind::VCard) {
                return std::nullopt;
            }
            return OpenFailure(MAPI_E_NO_ACCESS, std::strerror(err));
        }
        if (got == 0) {
            break;
        }
        reader.Feed(std::string_view(buffer.get(), static_cast<std::size_t>(got)));
        if (reader.Kind() == FileKind::NotVCard) {
            return std::nullopt;
        }
    }
    reader.Finish();
    if (reader.Kind() == FileKind::NotVCard ||
        (reader.Kind() == FileKind::Blank && !reader.HadByteOrderMark() && !HasVCardName(path))) {
        return std::nullopt;
    }
    return loader.Finish();
}

}  // namespace wab32::vcard
