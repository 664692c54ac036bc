// Helpers for the library's tests: the library loaded as the session loads
// it (dlopen, dlsym "WABOpen"), books made with quorvel-book, and reads.
#pragma once

#include "addressbook/WabInterface.h"
#include "tests/support/TestSupport.h"

#include <filesystem>
#include <string>
#include <vector>

namespace wabtest {

using namespace testing_support;

// WABOpen of the built libwab32.so.
LPWABOPEN WabOpen();
// Runs SQL on a book through a connection of its own.
void ExecSql(const std::filesystem::path& book, const char* sql);

// Each property as "TAG value": strings to their terminating zero, binaries
// in hex, lists with "|" after each value, other types in decimal.
std::vector<std::string> Show(const SPropValue* props, ULONG count);

// The personal address book's entry id, as GetPAB gives it.
inline const std::vector<BYTE> kPabId{'Q', 'W', 'B', 'P', 0, 0, 0, 0};

struct ListedRow {
    std::string name;
    std::vector<BYTE> entryId;
    ULONG objectType = 0;
};

// An entry's type and properties (as Show gives them); `hr` is the first failure.
struct EntryProps {
    HRESULT hr = S_OK;
    ULONG type = 0;
    std::vector<std::string> props;
};

// A book opened with WABOpen (`hr`), released at the end of its scope.
struct OpenedBook {
    IAddrBook* book = nullptr;
    IWABObject* wab = nullptr;
    HRESULT hr;
    HRESULT listEnd = S_OK;  // the code that ended the last ListAll
    explicit OpenedBook(const std::filesystem::path& path);
    ~OpenedBook();
    IMAPITable* ContentsTable();  // the personal address book's
    void FreeRows(SRowSet* rows);
    // The rows as the session lists them: one a call, the table's first columns.
    std::vector<ListedRow> ListAll();
    EntryProps Read(const std::vector<BYTE>& id, const SPropTagArray* tags = nullptr);
};

}  // namespace wabtest
