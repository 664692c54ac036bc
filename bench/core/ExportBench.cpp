// Writes 100,000 generated contacts as vCards and as CSV rows into a text file
// in a temporary folder; prints contacts per second and bytes per second. Each
// runs once without and once with counting what the format leaves out of
// each contact (left_out: the values per run), as exports count.
#include "core/ContactRecord.h"
#include "core/CsvWriter.h"
#include "core/LeftOutValues.h"
#include "core/VCardWriter.h"
#include "platform/TextFile.h"
#include "properties/PropertyTags.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

constexpr int kContacts = 100'000;

// Property arrays of generated contacts, built once.
class GeneratedContacts {
  public:
    GeneratedContacts() {
        m_contacts.reserve(kContacts);
        for (int i = 0; i < kContacts; ++i) {
            std::vector<SPropValue>& props = m_contacts.emplace_back();
            const std::string n = std::to_string(i);
            Str(props, PR_DISPLAY_NAME_A, "Contact " + n + " Example");
            Str(props, PR_GIVEN_NAME, "Contact");
            Str(props, PR_SURNAME, "Example " + n);
            Str(props, PR_EMAIL_ADDRESS, "contact" + n + "@example.org");
            Str(props, PR_COMPANY_NAME, "Company " + std::to_string(i % 97));
            Str(props, PR_TITLE, i % 3 == 0 ? "Head of\r\nSales" : "Engineer");
            Str(props, PR_BUSINESS_TELEPHONE_NUMBER, "+1 555 01" + n);
            Str(props, PR_HOME_TELEPHONE_NUMBER, "+1 555 02" + n);
            Str(props, PR_HOME_ADDRESS_STREET, n + " Mill Lane\r\nFlat 2");
            Str(props, PR_HOME_ADDRESS_CITY, "Easton");
            Str(props, PR_HOME_ADDRESS_COUNTRY, "Freeland");
            if (i % 4 == 0) {
                Str(props, PR_COMMENT, "Met at the fair.\r\nCall back = soon\r\n");
            }
            SPropValue birthday{};
            birthday.ulPropTag = PR_BIRTHDAY;
            const std::uint64_t ticks =
                116'444'736'000'000'000ULL + 864'000'000'000ULL * (i % 20000);
            birthday.Value.ft = FILETIME{static_cast<std::uint32_t>(ticks),
                                         static_cast<std::uint32_t>(ticks >> 32)};
            props.push_back(birthday);
            std::vector<char*>& list = m_lists.emplace_back();
            list.push_back(Keep("contact" + n + "@example.org"));
            list.push_back(Keep("c" + n + "@home.example"));
            SPropValue emails{};
            emails.ulPropTag = PR_CONTACT_EMAIL_ADDRESSES;
            emails.Value.MVszA.cValues = static_cast<ULONG>(list.size());
            emails.Value.MVszA.lppszA = list.data();
            props.push_back(emails);
        }
    }
    const std::vector<std::vector<SPropValue>>& contacts() const { return m_contacts; }

  private:
    char* Keep(const std::string& text) {
        m_strings.push_back(text);
        return m_strings.back().data();
    }
    void Str(std::vector<SPropValue>& props, ULONG tag, const std::string& text) {
        SPropValue prop{};
        prop.ulPropTag = tag;
        prop.Value.lpszA = Keep(text);
        props.push_back(prop);
    }
    std::deque<std::string> m_strings;
    std::deque<std::vector<char*>> m_lists;
    std::vector<std::vector<SPropValue>> m_contacts;
};

const GeneratedContacts& Contacts() {
    static const GeneratedContacts contacts;
    return contacts;
}

std::string OutputPath(const char* name) {
    static const std::string dir = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quorvel-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        return pattern;
    }();
    return dir + "/" + name;
}

template <typename WriteAll>
void RunWriter(benchmark::State& state, const char* name, WriteAll writeAll) {
    const auto& contacts = Contacts().contacts();
    const std::string path = OutputPath(name);
    for (auto _ : state) {
        TextFile file;
        if (!file.Open(path)) {
            state.SkipWithError("cannot open the output file");
            return;
        }
        writeAll(file, contacts);
        file.Close();
    }
    std::error_code ignored;
    const auto bytes = std::filesystem::file_size(path, ignored);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(contacts.size()));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    std::filesystem::remove(path, ignored);
}

// With range(0) = 1, each contact written is also counted for what its format
// leaves out, as the export runs count it.
struct LeftOutTally {
    LeftOutTally(const benchmark::State& state, const FormatPlaces& format)
        : on(state.range(0) != 0), places(format) {}
    void Add(const std::vector<SPropValue>& props) {
        if (on) {
            CountLeftOut(places, props.data(), static_cast<ULONG>(props.size()), 0, counts, none);
        }
    }
    bool on;
    const FormatPlaces& places;
    LeftOutCounts counts;
    const ListLeftOut none;
};

void BM_WriteVCards(benchmark::State& state) {
    LeftOutTally tally(state, kVCardPlaces);
    RunWriter(state, "contacts.vcf", [&](TextFile& file, const auto& contacts) {
        for (const auto& props : contacts) {
            WriteVCard(file, props.data(), static_cast<ULONG>(props.size()));
            tally.Add(props);
        }
    });
    state.counters["left_out"] = benchmark::Counter(static_cast<double>(tally.counts.Total()),
                                                    benchmark::Counter::kAvgIterations);
}

void BM_WriteCsvRows(benchmark::State& state) {
    LeftOutTally tally(state, kCsvPlaces);
    RunWriter(state, "contacts.csv", [&](TextFile& file, const auto& contacts) {
        ContactRecord record;
        EmailList otherEmails;
        WriteCsvHeader(file);
        for (const auto& props : contacts) {
            BuildContactRecord(props.data(), static_cast<ULONG>(props.size()), record, otherEmails);
            WriteCsvRow(file, record, otherEmails);
            tally.Add(props);
        }
    });
    state.counters["left_out"] = benchmark::Counter(static_cast<double>(tally.counts.Total()),
                                                    benchmark::Counter::kAvgIterations);
}

}  // namespace

BENCHMARK(BM_WriteVCards)
    ->ArgName("counted")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);
BENCHMARK(BM_WriteCsvRows)
    ->ArgName("counted")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

BENCHMARK_MAIN();
