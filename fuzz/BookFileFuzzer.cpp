// Opens arbitrary or mutated book files through WABOpen, lists the personal
// address book and reads every listed entry's properties: each call either
// fails cleanly or reads; the file is never changed.
#include "FuzzCheck.h"
#include "addressbook/WabInterface.h"
#include "properties/PropertyTags.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

extern "C" HRESULT WABOpen(IAddrBook** lppAdrBook, IWABObject** lppWABObject, WAB_PARAM* lpWP,
                           ULONG Reserved);

namespace {

// Lists the rows one a call, as the session does, and reads each entry.
void ListAndRead(IAddrBook* book, IWABObject* allocator) {
    ULONG cb = 0, type = 0, count = 0;
    ENTRYID* pab = nullptr;
    IUnknown* object = nullptr;
    Check(book->GetPAB(&cb, &pab) == S_OK);
    Check(book->OpenEntry(cb, pab, nullptr, 0, &type, &object) == S_OK);
    allocator->FreeBuffer(pab);
    auto* container = dynamic_cast<IABContainer*>(object);
    IMAPITable* table = nullptr;
    if (container->GetContentsTable(0, &table) == S_OK) {
        SRowSet* rows = nullptr;
        while (!FAILED(table->QueryRows(1, 0, &rows)) && rows->cRows == 1) {
            const SRow& row = rows->aRow[0];
            Check(row.cValues == 3 && row.lpProps[1].ulPropTag == PR_ENTRYID);
            const SBinary& id = row.lpProps[1].Value.bin;
            IUnknown* entry = nullptr;
            SPropValue* values = nullptr;
            if (FAILED(book->OpenEntry(id.cb, id.lpb, nullptr, 0, &type, &entry))) {
                Check(entry == nullptr);
            } else {
                const HRESULT hr =
                    dynamic_cast<IMAPIProp*>(entry)->GetProps(nullptr, 0, &count, &values);
                Check(FAILED(hr) ? values == nullptr && count == 0
                                 : values != nullptr || count == 0);
                allocator->FreeBuffer(values);
                entry->Release();
            }
            allocator->FreeBuffer(row.lpProps);
            allocator->FreeBuffer(rows);
        }
        Check(rows == nullptr || rows->cRows == 0);  // null after a failure
        allocator->FreeBuffer(rows);
        table->Release();
    }
    container->Release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/quorvel-fuzz-book-" + std::to_string(::getpid()) + ".wab";
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    IAddrBook* book = nullptr;
    IWABObject* allocator = nullptr;
    WAB_PARAM param{sizeof param, nullptr, path.c_str(), 0, {}};
    if (WABOpen(&book, &allocator, &param, 0) == S_OK) {
        ListAndRead(book, allocator);
        book->Release();
        allocator->Release();
    } else {
        Check(book == nullptr && allocator == nullptr);
    }
    std::ifstream in(path, std::ios::binary);
    Check(std::string(std::istreambuf_iterator<char>(in), {}) == bytes);
    std::remove(path.c_str());
    return 0;
}
