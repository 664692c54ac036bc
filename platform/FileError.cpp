#include "platform/FileError.h"

#include <system_error>
#include <utility>

namespace {

std::string ReasonOf(int errorNumber) {
    return std::generic_category().message(errorNumber);
}

}  // namespace

FileError::FileError(std::string path, int errorNumber)
    : std::runtime_error(path + ": " + ReasonOf(errorNumber)),
      m_strPath(std::move(path)),
      m_strReason(ReasonOf(errorNumber)) {}

FileError::FileError(std::string path, std::string reason, bool isTheBook)
    : std::runtime_error(path + ": " + reason),
      m_strPath(std::move(path)),
      m_strReason(std::move(reason)),
      m_bTheBook(isTheBook) {}
