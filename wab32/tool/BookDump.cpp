#include "wab32/tool/BookDump.h"

#include "platform/InputPath.h"
#include "wab32/BookFile.h"
#include "wab32/PropertyNames.h"

#include <cstdio>

namespace wab32 {

namespace {

std::string HexBytes(std::string_view bytes) {
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", c);
        out += buf;
    }
    return out;
}

void DumpProperty(std::ostream& out, std::size_t index, const StoredProperty& p) {
    const char* name = PropertyName(p.tag);
    out << "  [" << index << "] " << HexCode(p.tag) << " " << (name != nullptr ? name : "(unnamed)")
        << " " << PropertyTypeName(PROP_TYPE(p.tag)) << ": ";
    switch (PROP_TYPE(p.tag)) {
        case PT_STRING8:
            out << EscapedBytes(p.bytes);
            break;
        case PT_BINARY:
            out << "hex " << HexBytes(p.bytes) << " (" << p.bytes.size() << " bytes)";
            break;
        case PT_MV_STRING8:
            out << p.values.size() << (p.values.size() == 1 ? " value" : " values");
            for (const std::string& v : p.values) {
                out << " " << EscapedBytes(v);
            }
            break;
        case PT_SYSTIME:
            out << p.filetime << " (" << FiletimeText(p.filetime) << ")";
            break;
        default:
            out << p.integer;
            break;
    }
    out << "\n";
}

}  // namespace

std::string EscapedBytes(std::string_view bytes) {
    std::string out = "\"";
    char buf[8];
    for (unsigned char c : bytes) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c >= 0x20 && c < 0x7F) {
                    out.push_back(static_cast<char>(c));
                } else {
                    std::snprintf(buf, sizeof buf, "\\x%02X", c);
                    out += buf;
                }
        }
    }
    out += "\"";
    return out;
}

bool DumpBook(const std::filesystem::path& path, std::ostream& out, std::string& error) {
    if (const std::optional<InputPathProblem> problem = CheckInputPath(path.string())) {
        error = problem->reason;
        return false;
    }
    OpenResult opened = OpenBookReadOnly(path);
    if (FAILED(opened.hr)) {
        error = opened.reason;
        return false;
    }
    Statement all =
        Prepare(opened.db.get(),
                "SELECT id, object_type, props, stored_order FROM entries ORDER BY stored_order");
    if (!all) {
        error = "not an address book";
        return false;
    }
    std::size_t count = 0;
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(all.get())) == SQLITE_ROW) {
        const auto id = static_cast<std::uint32_t>(sqlite3_column_int64(all.get(), 0));
        const auto type = static_cast<ULONG>(sqlite3_column_int64(all.get(), 1));
        const std::string_view blob(static_cast<const char*>(sqlite3_column_blob(all.get(), 2)),
                                    static_cast<std::size_t>(sqlite3_column_bytes(all.get(), 2)));
        const auto props = DecodeProperties(blob);
        if (!props) {
            error = "entry " + std::to_string(id) + " is damaged";
            return false;
        }
        BYTE entryId[kEntryIdSize];
        EncodeEntryId(EntryKind::Entry, id, entryId);
        out << "entry " << sqlite3_column_int64(all.get(), 3) << ": " << ObjectTypeName(type)
            << " (object type " << type << "), entry id "
            << HexBytes(std::string_view(reinterpret_cast<const char*>(entryId), kEntryIdSize))
            << ", " << props->size() << (props->size() == 1 ? " property" : " properties") << "\n";
        for (std::size_t i = 0; i < props->size(); ++i) {
            DumpProperty(out, i, (*props)[i]);
        }
        ++count;
    }
    if (rc != SQLITE_DONE) {
        error = std::string("book is damaged: ") + sqlite3_errmsg(opened.db.get());
        return false;
    }
    out << count << (count == 1 ? " entry" : " entries") << "\n";
    out.flush();
    if (!out) {
        error = "cannot write the output";
        return false;
    }
    return true;
}

}  // namespace wab32
