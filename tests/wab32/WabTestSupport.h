// Helpers for the library's tests: the library loaded as the session loads
// it (dlopen, dlsym "WABOpen") and quorvel-book run as a program.
#pragma once

#include "addressbook/WabInterface.h"
#include "tests/support/TestSupport.h"

#include <filesystem>
#include <string>
#include <vector>

namespace wabtest {

// WABOpen of the built libwab32.so; the test fails if it is missing.
LPWABOPEN WabOpen();

// Opens `path` ("" for the default book); returns the result code.
HRESULT OpenBook(const std::string& path, IAddrBook** book, IWABObject** wab);

using RunResult = testing_support::ProgramResult;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

// Runs quorvel-book with the arguments and collects its output.
RunResult RunBookTool(const std::vector<std::string>& args);
const char* BookToolPath();

// An opened book, released at the end of its scope.
struct OpenedBook {
    IAddrBook* book = nullptr;
    IWABObject* wab = nullptr;
    OpenedBook() = default;
    OpenedBook(const OpenedBook&) = delete;
    OpenedBook& operator=(const OpenedBook&) = delete;
    ~OpenedBook();
    // The personal address book's contents table (null on failure).
    IMAPITable* ContentsTable();
};

struct ListedRow {
    std::string name;
    std::vector<BYTE> entryId;
    ULONG objectType = 0;
};

// Lists every row as the session does: the three columns, one row a call.
std::vector<ListedRow> ListAll(OpenedBook& opened);

// Builds a book from JSON text with the real `quorvel-book create`.
void CreateBook(const std::filesystem::path& book, const std::string& json, const TempDir& scratch);

}  // namespace wabtest
