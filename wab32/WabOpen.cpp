// The library's one export.
#include "addressbook/WabInterface.h"
#include "platform/InputPath.h"
#include "wab32/AddressBook.h"
#include "wab32/BookFile.h"
#include "wab32/BookStore.h"
#include "wab32/WabAllocator.h"
#include "wab32/vcard/VCardBook.h"

#include <cerrno>
#include <cstddef>
#include <new>
#include <system_error>

namespace {

using namespace wab32;

HRESULT ResultOfPathProblem(const InputPathProblem& problem) {
    switch (problem.error) {
        case ENOENT:
        case ENOTDIR:
            return MAPI_E_NOT_FOUND;
        case EACCES:
        case EPERM:
            return MAPI_E_NO_ACCESS;
        default:
            return MAPI_E_CORRUPT_DATA;
    }
}

// Creates the user's default book, empty, with its folders, if it is missing.
HRESULT EnsureDefaultBook(const std::filesystem::path& path) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        return S_OK;
    }
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) {
        return MAPI_E_NO_ACCESS;
    }
    CBookWriter writer;
    if (writer.Begin(path) && writer.Commit(false)) {
        return S_OK;
    }
    // Another process may have created it meanwhile.
    return std::filesystem::exists(path, ec) ? S_OK : MAPI_E_NO_ACCESS;
}

HRESULT OpenBook(const WAB_PARAM* lpWP, IAddrBook** lppAdrBook, IWABObject** lppWABObject) {
    const bool hasName = lpWP != nullptr && lpWP->szFileName != nullptr && lpWP->szFileName[0];
    std::filesystem::path path;
    if (hasName) {
        path = PlainFilePath(lpWP->szFileName);
    } else {
        path = DefaultBookPath();
        const HRESULT hr = EnsureDefaultBook(path);
        if (FAILED(hr)) {
            return hr;
        }
    }
    // Whatever kind of book it is, only a regular file is read: a FIFO or a
    // device would block or never end.
    if (const std::optional<InputPathProblem> problem = CheckInputPath(path)) {
        return ResultOfPathProblem(*problem);
    }
    // The content decides: a vCard file, else a book file.
    std::optional<OpenResult> vcard = vcard::OpenVCardBook(path);
    OpenResult opened = vcard ? std::move(*vcard) : OpenBookReadOnly(path);
    if (FAILED(opened.hr)) {
        return opened.hr;
    }
    auto store = std::make_shared<CBookStore>(std::move(opened.db));
    if (!store->Ready()) {
        return MAPI_E_CORRUPT_DATA;
    }
    ObjectRef<CWabAddrBook> book(new (std::nothrow) CWabAddrBook(std::move(store)));
    ObjectRef<CWabObject> allocator(new (std::nothrow) CWabObject());
    if (book == nullptr || allocator == nullptr) {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
    *lppAdrBook = book.release();
    *lppWABObject = allocator.release();
    return S_OK;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT WABOpen(IAddrBook** lppAdrBook,
                                                                  IWABObject** lppWABObject,
                                                                  WAB_PARAM* lpWP,
                                                                  ULONG /*Reserved*/) {
    if (lppAdrBook == nullptr || lppWABObject == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    *lppAdrBook = nullptr;
    *lppWABObject = nullptr;
    // The caller's record must reach at least to the file name.
    if (lpWP != nullptr && lpWP->cbSize < offsetof(WAB_PARAM, ulFlags)) {
        return MAPI_E_INVALID_PARAMETER;
    }
    try {
        return OpenBook(lpWP, lppAdrBook, lppWABObject);
    } catch (const std::bad_alloc&) {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    } catch (...) {
        *lppAdrBook = nullptr;
        *lppWABObject = nullptr;
        return MAPI_E_CALL_FAILED;
    }
}

// Checks that the export keeps the type the program calls it through.
static_assert(std::is_same_v<decltype(&WABOpen), LPWABOPEN>);
