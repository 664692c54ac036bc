// Lists a generated book one row at a time and reads every contact's
// properties, as the session does for an export, and prints contacts/s.
#include "addressbook/WabInterface.h"
#include "properties/PropertyTags.h"

#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

LPWABOPEN Open() {
    static void* lib = dlopen(QUORVEL_WAB32_PATH, RTLD_NOW | RTLD_LOCAL);
    return lib != nullptr ? reinterpret_cast<LPWABOPEN>(dlsym(lib, kWabOpenExport)) : nullptr;
}

std::string BookOf(std::int64_t contacts) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("wab32-bench-" + std::to_string(contacts) + ".wab");
    if (!std::filesystem::exists(path)) {
        const std::string cmd = std::string(QUORVEL_BOOK_PATH) + " generate --contacts " +
                                std::to_string(contacts) + " " + path.string();
        if (std::system(cmd.c_str()) != 0) {
            return {};
        }
    }
    return path.string();
}

struct Listed {
    ULONG cb;
    BYTE* lpb;
};

void ListAndRead(benchmark::State& state) {
    const std::string book = BookOf(state.range(0));
    LPWABOPEN open = Open();
    if (book.empty() || open == nullptr) {
        state.SkipWithError("no book or no library");
        return;
    }
    std::size_t contacts = 0;
    for (auto _ : state) {
        WAB_PARAM wp{};
        wp.cbSize = 32;
        wp.szFileName = book.c_str();
        IAddrBook* ab = nullptr;
        IWABObject* wab = nullptr;
        if (open(&ab, &wab, &wp, 0) != 0) {
            state.SkipWithError("open failed");
            return;
        }
        ULONG cb = 0;
        ENTRYID* pab = nullptr;
        ab->GetPAB(&cb, &pab);
        IUnknown* unk = nullptr;
        ULONG type = 0;
        ab->OpenEntry(cb, pab, nullptr, 0, &type, &unk);
        wab->FreeBuffer(pab);
        auto* container = dynamic_cast<IABContainer*>(unk);
        IMAPITable* table = nullptr;
        container->GetContentsTable(0, &table);
        const ULONG tags[] = {PR_DISPLAY_NAME_A, PR_ENTRYID, PR_OBJECT_TYPE};
        const SPropTagArray cols{3, tags};
        table->SetColumns(&cols, 0);
        table->SeekRow(BOOKMARK_BEGINNING, 0, nullptr);
        std::vector<Listed*> listed;
        for (;;) {
            SRowSet* rows = nullptr;
            if (table->QueryRows(1, 0, &rows) != 0 || rows == nullptr) {
                break;
            }
            const bool end = rows->cRows == 0;
            if (!end && rows->aRow[0].lpProps[2].Value.l == static_cast<LONG>(MAPI_MAILUSER)) {
                const SBinary id = rows->aRow[0].lpProps[1].Value.bin;
                void* head = nullptr;
                wab->AllocateBuffer(sizeof(Listed), &head);
                auto* ref = static_cast<Listed*>(head);
                void* bytes = nullptr;
                wab->AllocateMore(id.cb, head, &bytes);
                ref->cb = id.cb;
                ref->lpb = static_cast<BYTE*>(bytes);
                std::copy(id.lpb, id.lpb + id.cb, ref->lpb);
                listed.push_back(ref);
            }
            if (!end) {
                wab->FreeBuffer(rows->aRow[0].lpProps);
            }
            wab->FreeBuffer(rows);
            if (end) {
                break;
            }
        }
        table->Release();
        container->Release();
        for (Listed* ref : listed) {
            IUnknown* user = nullptr;
            ab->OpenEntry(ref->cb, ref->lpb, nullptr, 0, &type, &user);
            ULONG count = 0;
            SPropValue* props = nullptr;
            dynamic_cast<IMAPIProp*>(user)->GetProps(nullptr, 0, &count, &props);
            benchmark::DoNotOptimize(props);
            wab->FreeBuffer(props);
            user->Release();
            wab->FreeBuffer(ref);
        }
        contacts = listed.size();
        ab->Release();
        wab->Release();
    }
    state.counters["contacts"] = static_cast<double>(contacts);
    state.counters["contacts_per_s"] =
        benchmark::Counter(static_cast<double>(contacts) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(ListAndRead)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_MAIN();
