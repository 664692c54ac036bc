#include "tests/support/TestSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testing_support {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvel-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_path, ignored);
}

std::filesystem::path CreateBook(const std::filesystem::path& book, const std::string& json) {
    WriteFile(book.string() + ".json", json);
    const ProgramResult r = RunProgram(
        QUORVEL_BOOK_PATH, {"create", "--force", book.string(), book.string() + ".json"});
    if (r.status != 0) {
        throw std::runtime_error("quorvel-book create " + book.string() + ": " + r.err);
    }
    return book;
}

std::string PathOfLength(const std::filesystem::path& file, std::size_t length) {
    const std::string folder = file.parent_path().string(), name = file.filename().string();
    if (folder.size() + 1 + name.size() > length) {
        throw std::invalid_argument(file.string() + " is longer than the case allows");
    }
    return folder + std::string(length - folder.size() - name.size(), '/') + name;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.good()) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string ReadStream(std::FILE* stream) {
    std::fflush(stream);
    std::string text(static_cast<std::size_t>(std::ftell(stream)), '\0');
    std::rewind(stream);
    text.resize(std::fread(text.data(), 1, text.size(), stream));
    return text;
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env) {
    std::vector<std::string> environment;
    for (char** e = environ; *e != nullptr; ++e) {
        environment.emplace_back(*e);
    }
    for (const std::string& change : env) {
        const std::string name = change.substr(0, change.find('='));
        std::erase_if(environment, [&](const std::string& e) {
            return e.compare(0, name.size() + 1, name + "=") == 0;
        });
        if (change.size() > name.size()) {
            environment.push_back(change);
        }
    }
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& e : environment) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);

    TempDir dir;
    const std::string outPath = dir.File("out");
    const std::string errPath = dir.File("err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    ProgramResult r;
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        r.err = "cannot start " + program + ": " + std::strerror(spawned);
        return r;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = ReadFile(outPath);
    r.err = ReadFile(errPath);
    return r;
}

void SetTimeZone(const char* tz) {
    ::setenv("TZ", tz, 1);
    ::tzset();
}

FILETIME FileTimeOf(std::uint64_t ticks) {
    return FILETIME{static_cast<std::uint32_t>(ticks & 0xFFFFFFFFu),
                    static_cast<std::uint32_t>(ticks >> 32)};
}

FILETIME UtcFileTime(int year, int month, int day, int hour, int minute) {
    std::tm utc{};
    utc.tm_year = year - 1900;
    utc.tm_mon = month - 1;
    utc.tm_mday = day;
    utc.tm_hour = hour;
    utc.tm_min = minute;
    const std::int64_t unixSeconds = ::timegm(&utc);
    const std::int64_t ticks = (unixSeconds + 11'644'473'600LL) * 10'000'000LL;
    return FileTimeOf(static_cast<std::uint64_t>(ticks));
}

SPropValue& PropArray::Add(ULONG tag) {
    SPropValue& prop = m_props.emplace_back();
    prop.ulPropTag = tag;
    return prop;
}

char* PropArray::Keep(const char* text) {
    return text != nullptr ? m_texts->emplace_back(text).data() : nullptr;
}

PropArray& PropArray::Str(ULONG tag, const std::string& value) {
    Add(tag).Value.lpszA = Keep(value.c_str());
    return *this;
}

PropArray& PropArray::Multi(ULONG tag, std::initializer_list<const char*> values) {
    std::vector<char*>& list = m_lists->emplace_back();
    for (const char* value : values) {
        list.push_back(Keep(value));
    }
    SPropValue& prop = Add(tag);
    prop.Value.MVszA.cValues = static_cast<ULONG>(list.size());
    prop.Value.MVszA.lppszA = list.data();
    return *this;
}

}  // namespace testing_support
