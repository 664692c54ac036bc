// Helpers for the library's tests: the library loaded as the session loads
// it (dlopen, dlsym "WABOpen"), books made with quorvel-book, and reads.
#pragma once

#include "addressbook/WabInterface.h"
#include "tests/support/TestSupport.h"

#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace wabtest {

using testing_support::ProgramResult;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

// WABOpen of the built libwab32.so; the test fails if it is missing.
LPWABOPEN WabOpen();
// Opens `path` ("" for the default book); returns the result code.
HRESULT OpenBook(const std::string& path, IAddrBook** book, IWABObject** wab);

inline ProgramResult RunBookTool(const std::vector<std::string>& args) {
    return testing_support::RunProgram(QUORVEL_BOOK_PATH, args);
}
// Writes `json` beside `book` and builds the book from it with `quorvel-book create`.
std::filesystem::path CreateBook(const std::filesystem::path& book, const std::string& json);
// Runs SQL on a book through a connection of its own.
void ExecSql(const std::filesystem::path& book, const char* sql);
inline std::ptrdiff_t FilesIn(const std::filesystem::path& dir) {
    return std::distance(std::filesystem::directory_iterator(dir), {});
}

// Each property as "TAG value": strings to their terminating zero, binaries
// in hex, lists with "|" after each value, other types in decimal.
std::vector<std::string> Show(const SPropValue* props, ULONG count);
// Frees a row set and its rows.
void FreeRows(IWABObject* wab, SRowSet* rows);

struct ListedRow {
    std::string name;
    std::vector<BYTE> entryId;
    ULONG objectType = 0;
};

// An entry's properties read with OpenEntry and GetProps; `hr` is the first failure.
struct EntryProps {
    HRESULT hr = S_OK;
    ULONG type = 0;
    ULONG count = 0;
    std::shared_ptr<SPropValue> values;  // freed with FreeBuffer
    std::vector<std::string> Shown() const { return Show(values.get(), count); }
};

// A book opened with WABOpen (`hr`), released at the end of its scope.
struct OpenedBook {
    IAddrBook* book = nullptr;
    IWABObject* wab = nullptr;
    HRESULT hr;
    explicit OpenedBook(const std::filesystem::path& path) : hr(OpenBook(path, &book, &wab)) {}
    OpenedBook(const OpenedBook&) = delete;
    OpenedBook& operator=(const OpenedBook&) = delete;
    ~OpenedBook();
    std::vector<BYTE> PabId();
    // The personal address book's contents table (null on failure).
    IMAPITable* ContentsTable();
    // Every row as the session lists them: the three columns, one row a call.
    std::vector<ListedRow> ListAll();
    EntryProps Read(const std::vector<BYTE>& id, const SPropTagArray* tags = nullptr);
};

}  // namespace wabtest
