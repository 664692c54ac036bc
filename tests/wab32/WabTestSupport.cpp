#include "WabTestSupport.h"

#include <dlfcn.h>
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>

namespace wabtest {

LPWABOPEN WabOpen() {
    static void* library = dlopen(QUORVEL_WAB32_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        throw std::runtime_error(dlerror());
    }
    return reinterpret_cast<LPWABOPEN>(dlsym(library, kWabOpenExport));
}

HRESULT OpenBook(const std::string& path, IAddrBook** book, IWABObject** wab) {
    WAB_PARAM wp{sizeof wp, nullptr, path.c_str(), 0, {}};
    return WabOpen()(book, wab, &wp, 0);
}

std::filesystem::path CreateBook(const std::filesystem::path& book, const std::string& json) {
    const std::string source = book.string() + ".json";
    WriteFile(source, json);
    const ProgramResult r = RunBookTool({"create", "--force", book.string(), source});
    EXPECT_EQ(r.status, 0) << r.err;
    return book;
}

void ExecSql(const std::filesystem::path& book, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(book.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

OpenedBook::~OpenedBook() {
    if (book != nullptr) {
        book->Release();
        wab->Release();
    }
}

std::vector<BYTE> OpenedBook::PabId() {
    ULONG cb = 0;
    ENTRYID* pab = nullptr;
    EXPECT_EQ(book->GetPAB(&cb, &pab), S_OK);
    const std::vector<BYTE> id(pab, pab + cb);
    wab->FreeBuffer(pab);
    return id;
}

IMAPITable* OpenedBook::ContentsTable() {
    const std::vector<BYTE> pab = PabId();
    IUnknown* unk = nullptr;
    ULONG type = 0;
    EXPECT_EQ(book->OpenEntry(8, pab.data(), nullptr, 0, &type, &unk), S_OK);
    auto* container = dynamic_cast<IABContainer*>(unk);
    IMAPITable* table = nullptr;
    EXPECT_EQ(container->GetContentsTable(0, &table), S_OK);
    container->Release();
    return table;
}

std::vector<ListedRow> OpenedBook::ListAll() {
    std::vector<ListedRow> out;
    IMAPITable* table = ContentsTable();
    SRowSet* rows = nullptr;
    // The table's first columns: display name, entry id, object type.
    while (table->QueryRows(1, 0, &rows) == S_OK && rows->cRows == 1) {
        const SPropValue* p = rows->aRow[0].lpProps;
        const SBinary& id = p[1].Value.bin;
        out.push_back(
            {p[0].Value.lpszA, {id.lpb, id.lpb + id.cb}, static_cast<ULONG>(p[2].Value.l)});
        FreeRows(wab, rows);
    }
    FreeRows(wab, rows);
    table->Release();
    return out;
}

std::vector<std::string> Show(const SPropValue* props, ULONG count) {
    std::vector<std::string> shown;
    for (const SPropValue& p : std::vector<SPropValue>(props, props + count)) {
        char text[32];
        std::snprintf(text, sizeof text, "%08X ", p.ulPropTag);
        std::string& s = shown.emplace_back(text);
        switch (PROP_TYPE(p.ulPropTag)) {
            case PT_STRING8:
                s += p.Value.lpszA;
                break;
            case PT_BINARY:
                for (ULONG i = 0; i < p.Value.bin.cb; ++i) {
                    std::snprintf(text, sizeof text, "%02X", p.Value.bin.lpb[i]);
                    s += text;
                }
                break;
            case PT_MV_STRING8:
                for (ULONG i = 0; i < p.Value.MVszA.cValues; ++i) {
                    s += std::string(p.Value.MVszA.lppszA[i]) + "|";
                }
                break;
            case PT_SYSTIME:
                s += std::to_string(std::uint64_t{p.Value.ft.dwHighDateTime} << 32 |
                                    p.Value.ft.dwLowDateTime);
                break;
            default:
                s += std::to_string(p.Value.l);
        }
    }
    return shown;
}

void FreeRows(IWABObject* wab, SRowSet* rows) {
    for (ULONG i = 0; rows != nullptr && i < rows->cRows; ++i) {
        wab->FreeBuffer(rows->aRow[i].lpProps);
    }
    wab->FreeBuffer(rows);
}

EntryProps OpenedBook::Read(const std::vector<BYTE>& id, const SPropTagArray* tags) {
    EntryProps e;
    IUnknown* unk = nullptr;
    e.hr = book->OpenEntry(static_cast<ULONG>(id.size()), id.data(), nullptr, 0, &e.type, &unk);
    if (auto* object = dynamic_cast<IMAPIProp*>(unk)) {
        SPropValue* values = nullptr;
        e.hr = object->GetProps(tags, 0, &e.count, &values);
        e.values.reset(values, [w = wab](SPropValue* p) { w->FreeBuffer(p); });
        object->Release();
    }
    return e;
}

}  // namespace wabtest
