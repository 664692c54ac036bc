// A vCard file opened as a book: every card read once at opening into a
// private in-memory store of the same schema as a book file, so the contents
// table and entries work on it unchanged. The file is only read.
#pragma once

#include "wab32/BookFile.h"
#include "wab32/vcard/VCardCard.h"

#include <iconv.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace wab32::vcard {

// What the text of a file is, once its first non-blank line is known: a
// vCard file when that line is BEGIN:VCARD (blanks around it, any case).
enum class FileKind { Unknown, VCard, NotVCard, Blank };

// Reads a file's bytes, fed in pieces of any size, as vCard text: UTF-8 with
// any number of byte order marks, or UTF-16 (LE or BE, with its mark) made
// UTF-8; then splits it into cards, handing each the lines between
// BEGIN:VCARD and END:VCARD with "\n" line ends, and how it ended.
class CardReader {
  public:
    // The sink may take the body's memory.
    using Sink = std::function<void(std::string& body, CardEnd end, bool unicodeFile)>;
    explicit CardReader(Sink sink) : m_sink(std::move(sink)) {}
    ~CardReader();
    CardReader(const CardReader&) = delete;
    CardReader& operator=(const CardReader&) = delete;

    void Feed(std::string_view bytes);
    void Finish();
    // Known as soon as the first non-blank line is: the caller stops at NotVCard.
    FileKind Kind() const { return m_kind; }
    bool HadByteOrderMark() const { return m_byteOrderMark; }

  private:
    void Decode(std::string_view bytes, bool last);
    void Text(std::string_view text);
    void StartText(bool last);
    void Split(std::string_view text);
    void Detect(std::string_view text);
    void Line(std::size_t start);
    void Emit(CardEnd end);

    Sink m_sink;
    // The file's encoding.
    std::string m_head;  // the text's first bytes, until no byte order mark can follow
    bool m_sniffed = false;
    iconv_t m_utf16 = reinterpret_cast<iconv_t>(-1);
    std::string m_pending;  // bytes not yet converted (the first ones: not yet sniffed)
    std::string m_converted;
    bool m_atStart = true;  // UTF-8 byte order marks may still follow
    bool m_byteOrderMark = false;
    // The kind of file.
    FileKind m_kind = FileKind::Unknown;
    std::size_t m_matched = 0;  // characters of BEGIN:VCARD seen
    // The cards.
    std::string m_card;  // the current card's lines, then the line not yet ended
    std::size_t m_lineStart = 0;
    bool m_lastWasCr = false;
    int m_depth = 0;
    std::string m_indent;       // the blanks before the current card's BEGIN:VCARD
    bool m_afterAgent = false;  // the last property is an AGENT without a value
    bool m_junk = false;        // non-blank text outside any card since the last card
};

// nullopt when the file is not a vCard file (the caller then tries a book
// file); otherwise the opened store or why it failed. A file of blanks only
// is an empty vCard book when it has a byte order mark or a .vcf or .vcard
// name.
std::optional<OpenResult> OpenVCardBook(const std::filesystem::path& path);

}  // namespace wab32::vcard
