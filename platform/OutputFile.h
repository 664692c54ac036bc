#pragma once

#include <cstddef>

// Where the writers send their text: one call per string. A failure is raised
// as a FileError by the implementation; writers never look at results.
class OutputFile {
  public:
    virtual ~OutputFile() = default;
    // Writes the bytes of a zero-terminated string up to the terminator.
    virtual void WriteString(const char* text) = 0;
    // The same, for a string whose length is known: text[length] is its
    // terminator. Files that can use the length override it.
    virtual void WriteStringOfLength(const char* text, std::size_t length) {
        static_cast<void>(length);
        WriteString(text);
    }
};
