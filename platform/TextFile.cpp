#include "platform/TextFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// Writes all of [data, data + size) to fd; false with errno set on failure.
bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

TextFile::TextFile() = default;

TextFile::~TextFile() {
    if (IsOpen()) {
        // Best effort: a destructor reports nothing.
        WriteAll(m_fd, m_pBuffer.get(), m_nUsed);
        Discard();
    }
}

bool TextFile::Open(const std::string& path, FileError* error) {
    if (IsOpen()) {
        Discard();
    }
    m_strPath = path;
    // Opened without truncation first, so that a file another writer holds is
    // left whole; emptied once the lock is ours.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int failure = errno;
        if (error != nullptr) {
            *error = FileError(path, failure);
        }
        return false;
    }
    int failure = 0;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        failure = EWOULDBLOCK;
    }
    struct stat info {};
    if (failure == 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        ::ftruncate(fd, 0) != 0) {
        failure = errno;
    }
    if (failure != 0) {
        ::close(fd);
        if (error != nullptr) {
            *error = FileError(path, failure);
        }
        return false;
    }
    m_fd = fd;
    if (!m_pBuffer) {
        m_pBuffer = std::make_unique<char[]>(kBufferSize);
    }
    m_nUsed = 0;
    return true;
}

void TextFile::WriteString(const char* text) {
    std::size_t length = std::strlen(text);
    while (length > 0) {
        const void* newline = std::memchr(text, '\n', length);
        const std::size_t run =
            newline != nullptr ? static_cast<std::size_t>(static_cast<const char*>(newline) - text)
                               : length;
        // One run of bytes without a line feed, then CR LF for the line feed.
        if (m_nUsed + run + 2 > kBufferSize) {
            Flush();
        }
        if (run + 2 > kBufferSize) {
            if (!WriteAll(m_fd, text, run)) {
                throw FileError(m_strPath, errno);
            }
        } else {
            std::memcpy(m_pBuffer.get() + m_nUsed, text, run);
            m_nUsed += run;
        }
        if (newline == nullptr) {
            return;
        }
        m_pBuffer[m_nUsed++] = '\r';
        m_pBuffer[m_nUsed++] = '\n';
        text += run + 1;
        length -= run + 1;
    }
}

void TextFile::Flush() {
    const std::size_t used = m_nUsed;
    m_nUsed = 0;  // what could not be written is dropped, never written twice
    if (used > 0 && !WriteAll(m_fd, m_pBuffer.get(), used)) {
        throw FileError(m_strPath, errno);
    }
}

void TextFile::Close() {
    if (!IsOpen()) {
        return;
    }
    int failure = 0;
    if (m_nUsed > 0 && !WriteAll(m_fd, m_pBuffer.get(), m_nUsed)) {
        failure = errno;
    }
    m_nUsed = 0;
    if (::close(m_fd) != 0 && failure == 0) {
        failure = errno;
    }
    m_fd = -1;
    if (failure != 0) {
        throw FileError(m_strPath, failure);
    }
}

void TextFile::Discard() {
    ::close(m_fd);
    m_fd = -1;
    m_nUsed = 0;
}
