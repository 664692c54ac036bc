// A vCard file opened as a book: every card read once at opening into a
// private in-memory store of the same schema as a book file, so the contents
// table and entries work on it unchanged. The file is only read.
#pragma once

#include "wab32/BookFile.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace wab32::vcard {

// True when the text's first non-blank line, after an optional UTF-8 byte
// order mark, is BEGIN:VCARD (any case, any line ending). `prefix` is the
// start of a file; `whole` says whether it is all of it.
std::optional<bool> LooksLikeVCard(std::string_view prefix, bool whole);

// Splits vCard text into cards, handing each its lines between BEGIN:VCARD
// and END:VCARD with "\n" line ends, and whether it is a whole card (false
// for text outside cards, or a card without END:VCARD). Feed it the text in
// pieces of any size, then call Finish.
class CardSplitter {
  public:
    using Sink = std::function<void(std::string_view body, bool whole)>;
    explicit CardSplitter(Sink sink) : m_sink(std::move(sink)) {}
    void Feed(std::string_view text);
    void Finish();

  private:
    void Line(std::string_view line);

    Sink m_sink;
    std::string m_partial;  // a line not yet ended
    bool m_lastWasCr = false;
    bool m_started = false;  // the byte order mark has been looked for
    std::string m_card;
    int m_depth = 0;
    bool m_junk = false;  // m_card holds text outside any card
};

// nullopt when the file is not a vCard file (the caller then tries a book
// file); otherwise the opened store or why it failed.
std::optional<OpenResult> OpenVCardBook(const std::filesystem::path& path);

}  // namespace wab32::vcard
