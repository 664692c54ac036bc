// The vCard reader on the files of vcard-cases/: each NAME.* is opened as a
// vCard book and every card's stored properties are listed, in several time
// zones, against NAME.txt. The listing shows what no export writes.
#include "platform/LocalDate.h"
#include "properties/ContactProperties.h"
#include "tests/support/TestSupport.h"
#include "wab32/vcard/VCardBook.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string Escaped(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        out += c == '\\' ? "\\\\" : c == '\r' ? "\\r" : c == '\n' ? "\\n" : c < 0x20 ? hex : "";
        if (c >= 0x20 && c != '\\') {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

// Every entry of the store in file order: its kind, name and properties.
std::string Listing(const fs::path& file) {
    std::optional<wab32::OpenResult> opened = wab32::vcard::OpenVCardBook(file);
    if (!opened) {
        return "not a vCard file\n";
    }
    std::ostringstream out;
    wab32::Statement all = wab32::Prepare(opened->db.get(),
                                          "SELECT object_type, display_name, props, typeof(props) "
                                          "FROM entries ORDER BY stored_order");
    while (all && sqlite3_step(all.get()) == SQLITE_ROW) {
        const auto column = [&](int i) {
            return std::string_view(static_cast<const char*>(sqlite3_column_blob(all.get(), i)),
                                    static_cast<std::size_t>(sqlite3_column_bytes(all.get(), i)));
        };
        const bool list = sqlite3_column_int64(all.get(), 0) == MAPI_DISTLIST;
        out << (list ? "list " : "card ") << Escaped(column(1)) << "\n";
        const auto props = wab32::DecodeProperties(column(2));
        if (column(3) != "blob" || !props) {
            out << "  damaged: " << column(2) << "\n";
            continue;
        }
        for (const wab32::StoredProperty& p : *props) {
            out << "  " << FindContactProperty(p.tag)->label << ":";
            if (PROP_TYPE(p.tag) == PT_SYSTIME) {
                const auto date = FileTimeToLocalDate(static_cast<std::uint32_t>(p.filetime),
                                                      static_cast<std::uint32_t>(p.filetime >> 32));
                char text[16];
                std::snprintf(text, sizeof text, " %04d-%02d-%02d", date->year, date->month,
                              date->day);
                out << text;
            }
            out << (PROP_TYPE(p.tag) == PT_STRING8 && !p.bytes.empty() ? " " : "")
                << Escaped(p.bytes);
            for (std::size_t i = 0; i < p.values.size(); ++i) {
                out << (i == 0 ? " " : " | ") << Escaped(p.values[i]);
            }
            out << "\n";
        }
    }
    return out.str();
}

// From UTC-12 to UTC+14, both sides of daylight saving in the south.
constexpr const char* kZones[] = {
    "UTC",          "Pacific/Kiritimati", "Pacific/Tongatapu", "Pacific/Auckland",
    "Pacific/Fiji", "Etc/GMT+12",         "America/St_Johns",
};

TEST(VCardReaderTest, CasesListAsExpected) {
    std::set<fs::path> inputs;
    for (const fs::directory_entry& entry : fs::directory_iterator(VCARD_CASES_DIR)) {
        if (entry.path().extension() != ".txt") {
            inputs.insert(entry.path());
        }
    }
    ASSERT_FALSE(inputs.empty());
    for (const char* zone : kZones) {
        testing_support::SetTimeZone(zone);
        for (fs::path input : inputs) {
            const std::string actual = Listing(input);
            EXPECT_EQ(actual, testing_support::ReadFile(input.replace_extension(".txt")))
                << input.stem() << " in " << zone;
        }
    }
    testing_support::SetTimeZone("UTC");
}

// The kind of file is known as soon as its first line is, so that a large
// file of another kind is refused at its start, not read to its end.
TEST(VCardReaderTest, KindIsKnownAtTheFirstLine) {
    using wab32::vcard::FileKind;
    const std::pair<std::string, FileKind> cases[] = {
        {"xy", FileKind::NotVCard},
        {"\xEF\xBB\xBF\xEF\xBB\xBF BEGIN:VCARD\r", FileKind::VCard},
        {std::string("\xFF\xFE\x00\xD8x\x00", 6), FileKind::NotVCard},  // a lone surrogate
        {" \r\n\t", FileKind::Unknown},
    };
    for (const auto& [bytes, kind] : cases) {
        wab32::vcard::CardReader reader([](std::string&, wab32::vcard::CardEnd, bool) {});
        reader.Feed(bytes);
        EXPECT_EQ(reader.Kind(), kind) << bytes;
    }
}

}  // namespace
