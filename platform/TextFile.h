#pragma once

#include "platform/FileError.h"
#include "platform/OutputFile.h"

#include <memory>
#include <string>

// A buffered text output file. Open creates the file, or empties an existing
// one, for writing only; every "\n" written is stored as CR LF. A failed write
// or close raises FileError; the destructor closes a file still open quietly.
class TextFile final : public OutputFile {
  public:
    TextFile();
    ~TextFile() override;
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // False when the file cannot be opened; *error then tells why.
    bool Open(const std::string& path, FileError* error = nullptr);
    // Writes to a copy of an open descriptor (standard output, say), named
    // name in errors; nothing is truncated or locked, and closing leaves fd open.
    bool OpenDescriptor(int fd, const std::string& name, FileError* error = nullptr);
    void WriteString(const char* text) override;
    void WriteStringOfLength(const char* text, std::size_t length) override;
    // Writes out what is buffered and closes; raises FileError on failure.
    void Close();

    bool IsOpen() const { return m_fd >= 0; }
    const std::string& GetFilePath() const { return m_strPath; }

  private:
    void Flush();
    void Discard();

    int m_fd = -1;
    std::string m_strPath;
    std::unique_ptr<char[]> m_pBuffer;
    std::size_t m_nUsed = 0;
};
