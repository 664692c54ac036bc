// Helpers shared by the tests: temporary folders, whole-file reads, the time
// zone, property arrays and an output file that keeps what it is given.
#pragma once

#include "addressbook/WabDefs.h"
#include "platform/OutputFile.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <initializer_list>
#include <optional>
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

  private:
    std::filesystem::path m_path;
};

std::string ReadFileBytes(const std::string& path);

// Sets TZ for the life of the object and applies it, then restores it.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* tz);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

  private:
    bool m_hadValue;
    std::string m_oldValue;
};

// FILETIME of a UTC calendar instant.
FILETIME UtcFileTime(int year, int month, int day, int hour = 0, int minute = 0);
FILETIME FileTimeOf(std::uint64_t ticks);

// Builds a property array that owns its strings; copies own theirs.
class PropArray {
  public:
    PropArray& Str(ULONG tag, const std::string& value);
    PropArray& NullStr(ULONG tag);
    PropArray& Time(ULONG tag, FILETIME value);
    PropArray& Multi(ULONG tag, std::initializer_list<const char*> values);  // null allowed
    PropArray& Long(ULONG tag, LONG value);
    const SPropValue* data() const;
    ULONG size() const { return static_cast<ULONG>(m_entries.size()); }

  private:
    struct Entry {
        SPropValue prop;
        std::optional<std::string> text;
        std::vector<std::optional<std::string>> texts;
        bool isList = false;
    };
    std::vector<Entry> m_entries;
    // The records, pointing into m_entries; rebuilt by data().
    mutable std::vector<SPropValue> m_props;
    mutable std::deque<std::vector<char*>> m_lists;
};

// Keeps every string written, in order.
class RecordingFile : public OutputFile {
  public:
    void WriteString(const char* text) override {
        m_writes.emplace_back(text);
        m_text += text;
    }
    const std::string& text() const { return m_text; }
    const std::vector<std::string>& writes() const { return m_writes; }

  private:
    std::string m_text;
    std::vector<std::string> m_writes;
};

// "\n" replaced by CR LF, as the text file stores it.
std::string WithCrLf(const std::string& text);

}  // namespace testing_support
