#include "WabTestSupport.h"

#include "tests/support/TestSupport.h"

#include <dlfcn.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace wabtest {

LPWABOPEN WabOpen() {
    static void* library = dlopen(QUORVEL_WAB32_PATH, RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(library, nullptr) << dlerror();
    if (library == nullptr) {
        return nullptr;
    }
    auto fn = reinterpret_cast<LPWABOPEN>(dlsym(library, kWabOpenExport));
    EXPECT_NE(fn, nullptr) << "WABOpen is not exported";
    return fn;
}

HRESULT OpenBook(const std::string& path, IAddrBook** book, IWABObject** wab) {
    WAB_PARAM wp{};
    wp.cbSize = 32;
    wp.szFileName = path.c_str();
    const LPWABOPEN open = WabOpen();
    if (open == nullptr) {
        return MAPI_E_CALL_FAILED;
    }
    return open(book, wab, &wp, 0);
}

const char* BookToolPath() {
    return QUORVEL_BOOK_PATH;
}

RunResult RunBookTool(const std::vector<std::string>& args) {
    return testing_support::RunProgram(QUORVEL_BOOK_PATH, args);
}

OpenedBook::~OpenedBook() {
    if (book != nullptr) {
        book->Release();
    }
    if (wab != nullptr) {
        wab->Release();
    }
}

IMAPITable* OpenedBook::ContentsTable() {
    ULONG cb = 0;
    ENTRYID* pab = nullptr;
    if (book->GetPAB(&cb, &pab) != S_OK) {
        return nullptr;
    }
    IUnknown* unk = nullptr;
    ULONG type = 0;
    const HRESULT hr = book->OpenEntry(cb, pab, nullptr, 0, &type, &unk);
    wab->FreeBuffer(pab);
    auto* container = dynamic_cast<IABContainer*>(unk);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(type, MAPI_ABCONT);
    if (container == nullptr) {
        return nullptr;
    }
    IMAPITable* table = nullptr;
    EXPECT_EQ(container->GetContentsTable(0, &table), S_OK);
    container->Release();
    return table;
}

std::vector<ListedRow> ListAll(OpenedBook& opened) {
    std::vector<ListedRow> out;
    IMAPITable* table = opened.ContentsTable();
    if (table == nullptr) {
        ADD_FAILURE() << "no contents table";
        return out;
    }
    const ULONG tags[] = {PR_DISPLAY_NAME_A, PR_ENTRYID, PR_OBJECT_TYPE};
    const SPropTagArray columns{3, tags};
    EXPECT_EQ(table->SetColumns(&columns, 0), S_OK);
    EXPECT_EQ(table->SeekRow(BOOKMARK_BEGINNING, 0, nullptr), S_OK);
    for (;;) {
        SRowSet* rows = nullptr;
        const HRESULT hr = table->QueryRows(1, 0, &rows);
        EXPECT_EQ(hr, S_OK);
        if (hr != S_OK || rows == nullptr) {
            break;
        }
        const ULONG n = rows->cRows;
        EXPECT_LE(n, 1u);
        if (n == 1) {
            const SRow& row = rows->aRow[0];
            EXPECT_EQ(row.cValues, 3u);
            ListedRow r;
            if (row.lpProps[0].ulPropTag == PR_DISPLAY_NAME_A) {
                r.name = row.lpProps[0].Value.lpszA;
            } else {
                EXPECT_EQ(row.lpProps[0].ulPropTag, PROP_TAG(PT_ERROR, 0x3001));
                EXPECT_EQ(row.lpProps[0].Value.err, MAPI_E_NOT_FOUND);
                r.name = "<none>";
            }
            EXPECT_EQ(row.lpProps[1].ulPropTag, PR_ENTRYID);
            r.entryId.assign(row.lpProps[1].Value.bin.lpb,
                             row.lpProps[1].Value.bin.lpb + row.lpProps[1].Value.bin.cb);
            EXPECT_EQ(row.lpProps[2].ulPropTag, PR_OBJECT_TYPE);
            r.objectType = static_cast<ULONG>(row.lpProps[2].Value.l);
            out.push_back(std::move(r));
            opened.wab->FreeBuffer(row.lpProps);
        }
        opened.wab->FreeBuffer(rows);
        if (n == 0) {
            break;
        }
    }
    table->Release();
    return out;
}

void CreateBook(const std::filesystem::path& book, const std::string& json,
                const TempDir& scratch) {
    const std::filesystem::path source = scratch / (book.filename().string() + ".json");
    WriteFile(source, json);
    const RunResult r = RunBookTool({"create", "--force", book.string(), source.string()});
    ASSERT_EQ(r.status, 0) << r.err;
}

}  // namespace wabtest
