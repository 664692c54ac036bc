// Builds property arrays of any tags, types and counts from the input and
// writes them with both writers: no crash, every vCard block complete, every
// CSV row one line of twelve fields' worth of separators.
#include "core/ContactRecord.h"
#include "core/CsvWriter.h"
#include "core/VCardWriter.h"
#include "core/ValueEncoding.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace {

class Reader {
  public:
    Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool empty() const { return m_pos >= m_size; }
    std::uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    std::uint32_t Word() {
        std::uint32_t w = 0;
        for (int i = 0; i < 4; ++i) {
            w = (w << 8) | Byte();
        }
        return w;
    }
    std::string Text() {
        const std::size_t length = Byte();
        std::string text;
        for (std::size_t i = 0; i < length && !empty(); ++i) {
            const char c = static_cast<char>(Byte());
            text += c == '\0' ? '\r' : c;
        }
        return text;
    }

  private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// Known ids are drawn often, so the writers see many fields.
const ULONG kIds[] = {0x3A06, 0x3A44, 0x3A11, 0x3001, 0x3003, 0x3A42, 0x3A16, 0x3A29,
                      0x3A27, 0x3A28, 0x3A2A, 0x3A26, 0x3A17, 0x3A18, 0x3A19, 0x3A08,
                      0x3A24, 0x3A21, 0x3A51, 0x3A5D, 0x3A59, 0x3A5C, 0x3A5B, 0x3A5A,
                      0x3A09, 0x3A25, 0x3A1C, 0x3A50, 0x3004, 0x3A56};
const ULONG kTypes[] = {PT_STRING8, PT_MV_STRING8, PT_SYSTIME, PT_LONG, PT_BINARY, PT_ERROR};

class StringSink : public OutputFile {
  public:
    void WriteString(const char* text) override { m_text += text; }
    std::string m_text;
};

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in(data, size);
    std::deque<std::string> strings;
    std::deque<std::vector<char*>> lists;
    std::vector<SPropValue> props;
    while (!in.empty() && props.size() < 256) {
        const std::uint8_t shape = in.Byte();
        const ULONG id =
            (shape & 0x80) != 0 ? kIds[in.Byte() % std::size(kIds)] : (in.Word() >> 16);
        const ULONG type =
            (shape & 0x40) != 0 ? kTypes[in.Byte() % std::size(kTypes)] : (in.Word() & 0xFFFF);
        SPropValue prop{};
        prop.ulPropTag = PROP_TAG(type, id);
        if (type == PT_STRING8) {
            if ((shape & 0x01) != 0) {
                prop.Value.lpszA = nullptr;
            } else {
                strings.push_back(in.Text());
                prop.Value.lpszA = strings.back().data();
            }
        } else if (type == PT_MV_STRING8) {
            std::vector<char*>& list = lists.emplace_back();
            const std::size_t count = in.Byte() % 16;
            for (std::size_t i = 0; i < count; ++i) {
                if ((in.Byte() & 3) == 0) {
                    list.push_back(nullptr);
                } else {
                    strings.push_back(in.Text());
                    list.push_back(strings.back().data());
                }
            }
            prop.Value.MVszA.cValues = static_cast<ULONG>(list.size());
            prop.Value.MVszA.lppszA = (shape & 0x02) != 0 && list.empty() ? nullptr : list.data();
        } else {
            // Any other type: raw bytes in the value, never to be read as a pointer.
            prop.Value.ft.dwLowDateTime = in.Word();
            prop.Value.ft.dwHighDateTime = in.Word();
        }
        props.push_back(prop);
    }

    StringSink vcard;
    WriteVCard(vcard, props.data(), static_cast<ULONG>(props.size()));
    Check(vcard.m_text.rfind("BEGIN:VCARD\nVERSION:2.1\nN:", 0) == 0);
    Check(vcard.m_text.size() >= 10 &&
          vcard.m_text.compare(vcard.m_text.size() - 10, 10, "END:VCARD\n") == 0);
    Check(!quotedPrintableMode);

    ContactRecord record;
    EmailList otherEmails;
    BuildContactRecord(props.data(), static_cast<ULONG>(props.size()), record, otherEmails);
    StringSink row;
    WriteCsvRow(row, record, otherEmails);
    Check(otherEmails.IsEmpty());
    Check(row.m_text.size() >= 2 && row.m_text.front() == '"' &&
          row.m_text.compare(row.m_text.size() - 2, 2, "\"\n") == 0);
    return 0;
}
