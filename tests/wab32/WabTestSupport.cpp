#include "WabTestSupport.h"

#include <dlfcn.h>
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <span>

namespace wabtest {

LPWABOPEN WabOpen() {
    static void* library = dlopen(QUORVEL_WAB32_PATH, RTLD_NOW | RTLD_LOCAL);
    return reinterpret_cast<LPWABOPEN>(dlsym(library, kWabOpenExport));
}

void ExecSql(const std::filesystem::path& book, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(book.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

std::vector<std::string> Show(const SPropValue* props, ULONG count) {
    std::vector<std::string> shown;
    for (const SPropValue& p : std::span(props, count)) {
        char text[32];
        std::snprintf(text, sizeof text, "%08X ", p.ulPropTag);
        std::string& s = shown.emplace_back(text);
        const ULONG type = PROP_TYPE(p.ulPropTag);
        if (type == PT_STRING8) {
            s += p.Value.lpszA;
        } else if (type == PT_BINARY) {
            for (BYTE b : std::span(p.Value.bin.lpb, p.Value.bin.cb)) {
                std::snprintf(text, sizeof text, "%02X", b);
                s += text;
            }
        } else if (type == PT_MV_STRING8) {
            for (const char* v : std::span(p.Value.MVszA.lppszA, p.Value.MVszA.cValues)) {
                s.append(v).append("|");
            }
        } else if (type == PT_SYSTIME) {
            s += std::to_string(std::uint64_t{p.Value.ft.dwHighDateTime} << 32 |
                                p.Value.ft.dwLowDateTime);
        } else {
            s += std::to_string(p.Value.l);
        }
    }
    return shown;
}

OpenedBook::OpenedBook(const std::filesystem::path& path) {
    WAB_PARAM wp{sizeof wp, nullptr, path.c_str(), 0, {}};
    hr = WabOpen()(&book, &wab, &wp, 0);
}

OpenedBook::~OpenedBook() {
    if (book != nullptr) {
        book->Release();
        wab->Release();
    }
}

IMAPITable* OpenedBook::ContentsTable() {
    IUnknown* container = nullptr;
    ULONG type = 0;
    EXPECT_EQ(book->OpenEntry(8, kPabId.data(), nullptr, 0, &type, &container), S_OK);
    IMAPITable* table = nullptr;
    EXPECT_EQ(dynamic_cast<IABContainer*>(container)->GetContentsTable(0, &table), S_OK);
    container->Release();
    return table;
}

void OpenedBook::FreeRows(SRowSet* rows) {
    for (ULONG i = 0; rows != nullptr && i < rows->cRows; ++i) {
        wab->FreeBuffer(rows->aRow[i].lpProps);
    }
    wab->FreeBuffer(rows);
}

std::vector<ListedRow> OpenedBook::ListAll() {
    std::vector<ListedRow> out;
    IMAPITable* table = ContentsTable();
    SRowSet* rows = nullptr;
    // Display name (missing in a damaged row), entry id, object type.
    while ((listEnd = table->QueryRows(1, 0, &rows)) == S_OK && rows->cRows == 1) {
        const SPropValue* p = rows->aRow[0].lpProps;
        const SBinary& id = p[1].Value.bin;
        out.push_back({PROP_TYPE(p[0].ulPropTag) == PT_STRING8 ? p[0].Value.lpszA : "",
                       {id.lpb, id.lpb + id.cb},
                       static_cast<ULONG>(p[2].Value.l)});
        FreeRows(rows);
    }
    FreeRows(rows);
    table->Release();
    return out;
}

EntryProps OpenedBook::Read(const std::vector<BYTE>& id, const SPropTagArray* tags) {
    EntryProps e;
    IUnknown* unk = nullptr;
    e.hr = book->OpenEntry(static_cast<ULONG>(id.size()), id.data(), nullptr, 0, &e.type, &unk);
    if (auto* object = dynamic_cast<IMAPIProp*>(unk)) {
        SPropValue* values = nullptr;
        ULONG count = 0;
        e.hr = object->GetProps(tags, 0, &count, &values);
        e.props = Show(values, count);
        wab->FreeBuffer(values);
        object->Release();
    }
    return e;
}

}  // namespace wabtest
