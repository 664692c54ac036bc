#include "tests/support/TestSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
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
    // env(1) applies the changes: "-u NAME" options remove, then "NAME=value" sets.
    std::vector<std::string> all{"/usr/bin/env"}, sets;
    for (const std::string& change : env) {
        if (change.find('=') == std::string::npos) {
            all.insert(all.end(), {"-u", change});
        } else {
            sets.push_back(change);
        }
    }
    all.insert(all.end(), sets.begin(), sets.end());
    all.push_back(program);
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, ::fileno(out), 1);
    posix_spawn_file_actions_adddup2(&actions, ::fileno(err), 2);
    ProgramResult r;
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
        ::waitpid(pid, &status, 0) == pid) {
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    r.out = ReadStream(out);
    r.err = ReadStream(err);
    std::fclose(out);
    std::fclose(err);
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
    using namespace std::chrono;
    const sys_seconds at =
        sys_days{std::chrono::year{year} / month / day} + hours{hour} + minutes{minute};
    // FILETIME counts 100 ns ticks from 1601-01-01.
    return FileTimeOf(static_cast<std::uint64_t>(
        (at.time_since_epoch().count() + 11'644'473'600LL) * 10'000'000LL));
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
