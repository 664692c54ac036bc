#pragma once

#include <stdexcept>
#include <string>

// A failed open, write or close of an output file: the path and the system's
// reason (errno text).
class FileError : public std::runtime_error {
  public:
    FileError(std::string path, int errorNumber);
    // A refusal with its own reason rather than the system's.
    FileError(std::string path, std::string reason, bool isTheBook = false);

    const std::string& path() const { return m_strPath; }
    const std::string& reason() const { return m_strReason; }
    // The output would have been the address book being read.
    bool isTheBook() const { return m_bTheBook; }

  private:
    std::string m_strPath;
    std::string m_strReason;
    bool m_bTheBook = false;
};
