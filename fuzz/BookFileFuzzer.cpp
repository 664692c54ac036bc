// Opens arbitrary or mutated book files through WABOpen, lists the personal
// address book and reads every listed entry's properties: each call either
// fails cleanly or reads; the file is never changed.
#include "addressbook/WabInterface.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

extern "C" HRESULT WABOpen(IAddrBook** lppAdrBook, IWABObject** lppWABObject, WAB_PARAM* lpWP,
                           ULONG Reserved);

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void ReadEntry(IAddrBook* book, IWABObject* allocator, const SBinary& id) {
    ULONG type = 0;
    IUnknown* object = nullptr;
    if (FAILED(book->OpenEntry(id.cb, id.lpb, nullptr, 0, &type, &object)) || object == nullptr) {
        return;
    }
    if (auto* props = dynamic_cast<IMAPIProp*>(object)) {
        ULONG count = 0;
        SPropValue* values = nullptr;
        props->GetProps(nullptr, 0, &count, &values);
        Check(values != nullptr || count == 0);
        if (values != nullptr) {
            allocator->FreeBuffer(values);
        }
    }
    object->Release();
}

void ListAndRead(IAddrBook* book, IWABObject* allocator) {
    ULONG cbPab = 0;
    ENTRYID* pab = nullptr;
    if (FAILED(book->GetPAB(&cbPab, &pab)) || pab == nullptr) {
        return;
    }
    ULONG type = 0;
    IUnknown* object = nullptr;
    const HRESULT opened = book->OpenEntry(cbPab, pab, nullptr, 0, &type, &object);
    allocator->FreeBuffer(pab);
    auto* container = dynamic_cast<IABContainer*>(object);
    if (FAILED(opened) || container == nullptr) {
        if (object != nullptr) {
            object->Release();
        }
        return;
    }
    IMAPITable* table = nullptr;
    if (!FAILED(container->GetContentsTable(0, &table)) && table != nullptr) {
        const ULONG tags[] = {PR_DISPLAY_NAME_A, PR_ENTRYID, PR_OBJECT_TYPE};
        const SPropTagArray columns{3, tags};
        if (!FAILED(table->SetColumns(&columns, 0)) &&
            !FAILED(table->SeekRow(BOOKMARK_BEGINNING, 0, nullptr))) {
            for (int fetched = 0; fetched < 100000; ++fetched) {
                SRowSet* rows = nullptr;
                if (FAILED(table->QueryRows(1, 0, &rows)) || rows == nullptr) {
                    break;
                }
                const bool end = rows->cRows == 0;
                if (!end) {
                    const SRow& row = rows->aRow[0];
                    Check(row.cValues == 3 && row.lpProps != nullptr);
                    if (PROP_TYPE(row.lpProps[1].ulPropTag) == PT_BINARY) {
                        ReadEntry(book, allocator, row.lpProps[1].Value.bin);
                    }
                    allocator->FreeBuffer(row.lpProps);
                }
                allocator->FreeBuffer(rows);
                if (end) {
                    break;
                }
            }
        }
        table->Release();
    }
    container->Release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/quorvel-fuzz-book-" + std::to_string(::getpid()) + ".wab";
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    IAddrBook* book = nullptr;
    IWABObject* allocator = nullptr;
    WAB_PARAM param{};
    param.cbSize = sizeof param;
    param.szFileName = path.c_str();
    const HRESULT hr = WABOpen(&book, &allocator, &param, 0);
    if (hr == S_OK) {
        Check(book != nullptr && allocator != nullptr);
        ListAndRead(book, allocator);
        book->Release();
        allocator->Release();
    } else {
        Check(book == nullptr && allocator == nullptr);
    }
    Check(ReadAll(path) == bytes);
    std::remove(path.c_str());
    return 0;
}
