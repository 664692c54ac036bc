#pragma once

// Where the writers send their text: one call per string. A failure is raised
// as a FileError by the implementation; writers never look at results.
class OutputFile {
  public:
    virtual ~OutputFile() = default;
    // Writes the bytes of a zero-terminated string up to the terminator.
    virtual void WriteString(const char* text) = 0;
};
