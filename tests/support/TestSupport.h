// Helpers shared by the tests: temporary folders, whole-file reads, programs
// run, the time zone, property arrays and an output file that keeps what it is given.
#pragma once

#include "platform/FileError.h"
#include "platform/OutputFile.h"
#include "platform/ProgressControl.h"
#include "properties/PropertyTags.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace testing_support {

// A fresh folder under the system's temporary folder, removed at the end.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

  private:
    std::filesystem::path m_path;
};

// The whole file or stream; throws when a file cannot be read or written.
std::string ReadFile(const std::filesystem::path& path);
std::string ReadStream(std::FILE* stream);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
inline std::ptrdiff_t FilesIn(const std::filesystem::path& dir) {
    return std::distance(std::filesystem::directory_iterator(dir), {});
}

// Builds `book` with quorvel-book from `json`, kept beside it; throws if that fails.
std::filesystem::path CreateBook(const std::filesystem::path& book, const std::string& json);

// A path of exactly `length` bytes that names `file`, lengthened with slashes.
std::string PathOfLength(const std::filesystem::path& file, std::size_t length);

struct ProgramResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// Runs `program` with `args` and waits for it. Each entry of `env` is either
// "NAME=value" (set) or "NAME" (removed) on top of this process's environment.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env = {});

// Sets TZ and applies it. Every test that turns instants into dates sets the
// zone it expects, so none depends on another's.
void SetTimeZone(const char* tz);

// FILETIME of a UTC calendar instant.
FILETIME UtcFileTime(int year, int month, int day, int hour = 0, int minute = 0);
FILETIME FileTimeOf(std::uint64_t ticks);

// Builds a property array; its strings live as long as any copy of it.
class PropArray {
  public:
    PropArray() = default;
    // String properties, in order: tag, value, tag, value...
    template <typename... More>
    explicit PropArray(ULONG tag, const char* value, More... more) {
        AddStrings(tag, value, more...);
    }
    PropArray& Str(ULONG tag, const std::string& value);
    PropArray& NullStr(ULONG tag) {
        Add(tag);
        return *this;
    }
    PropArray& Time(ULONG tag, FILETIME value) {
        Add(tag).Value.ft = value;
        return *this;
    }
    PropArray& Multi(ULONG tag, std::initializer_list<const char*> values);  // null allowed
    PropArray& Long(ULONG tag, LONG value) {
        Add(tag).Value.l = value;
        return *this;
    }
    const SPropValue* data() const { return m_props.data(); }
    ULONG size() const { return static_cast<ULONG>(m_props.size()); }

  private:
    void AddStrings() {}
    template <typename... More>
    void AddStrings(ULONG tag, const char* value, More... more) {
        Str(tag, value);
        AddStrings(more...);
    }
    SPropValue& Add(ULONG tag);
    char* Keep(const char* text);
    std::vector<SPropValue> m_props;
    std::shared_ptr<std::deque<std::string>> m_texts = std::make_shared<std::deque<std::string>>();
    std::shared_ptr<std::deque<std::vector<char*>>> m_lists =
        std::make_shared<std::deque<std::vector<char*>>>();
};

// Keeps every string written, in order. A write that would take the text
// past `capacity` bytes throws the error of a full disk instead, as a file would.
class RecordingFile : public OutputFile {
  public:
    explicit RecordingFile(std::size_t capacity = SIZE_MAX) : m_capacity(capacity) {}
    void WriteString(const char* text) override {
        if (std::strlen(text) > m_capacity - m_text.size()) {
            throw FileError("out", 28);
        }
        m_writes.emplace_back(text);
        m_text += text;
    }
    const std::string& text() const { return m_text; }
    const std::vector<std::string>& writes() const { return m_writes; }

  private:
    std::size_t m_capacity;
    std::string m_text;
    std::vector<std::string> m_writes;
};

// A progress bar that shows nothing.
class NullProgress final : public ProgressControl {
  public:
    void SetRange(std::uint16_t, std::uint16_t) override {}
    void SetPos(int) override {}
    void EnableWindow(bool) override {}
};

}  // namespace testing_support
