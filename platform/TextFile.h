#pragma once

#include "platform/FileError.h"
#include "platform/FileIdentity.h"
#include "platform/OutputFile.h"

#include <memory>
#include <optional>
#include <string>

// How a regular file is written. InPlace creates it or empties it at Open.
// Replace writes a temporary file beside it (resolved through links) that
// Close renames over it, so the file keeps its old bytes until all is
// written, and a failure, a signal or a destructor leaves no temporary file.
// FIFOs and devices are always written in place.
enum class WriteMode { InPlace, Replace };

// A buffered text output file, for writing only; every "\n" written is stored
// as CR LF. A failed write or close raises FileError; the destructor closes a
// file written in place quietly, and drops an unfinished replacement.
class TextFile final : public OutputFile {
  public:
    TextFile();
    ~TextFile() override;
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // False when the file cannot be opened; *error then tells why. Nothing is
    // changed when the opened file is `book` (error->isTheBook()) or is held
    // by another export. A path naming one of the process's own descriptors
    // (OwnDescriptorOf) is opened as OpenDescriptor opens that descriptor.
    bool Open(const std::string& path, FileError* error = nullptr,
              const std::optional<FileIdentity>& book = std::nullopt,
              WriteMode mode = WriteMode::InPlace);
    // Writes to a copy of an open descriptor (standard output, say), named
    // name in errors; nothing is truncated or locked, and closing leaves fd open.
    // Refused when fd is `book`.
    bool OpenDescriptor(int fd, const std::string& name, FileError* error = nullptr,
                        const std::optional<FileIdentity>& book = std::nullopt);
    void WriteString(const char* text) override;
    void WriteStringOfLength(const char* text, std::size_t length) override;
    // Writes out what is buffered and closes; raises FileError on failure.
    void Close();

    bool IsOpen() const { return m_fd >= 0; }

  private:
    bool OpenInPlace(const FileIdentity* book, FileError& error);
    bool OpenReplacing(const FileIdentity* book, FileError& error);
    void Flush();
    void Discard();

    int m_fd = -1;
    int m_lockFd = -1;      // Replace: the file being replaced, locked
    std::string m_strTemp;  // Replace: the temporary file, empty otherwise
    std::string m_strTarget;
    int m_tempSlot = -1;
    std::string m_strPath;
    std::unique_ptr<char[]> m_pBuffer;
    std::size_t m_nUsed = 0;
};
