#include "platform/TextFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr std::size_t kShortString = 24;

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

bool TextFile::OpenDescriptor(int fd, const std::string& name, FileError* error) {
    if (IsOpen()) {
        Discard();
    }
    m_strPath = name;
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    if (copy < 0) {
        if (error != nullptr) {
            *error = FileError(name, errno);
        }
        return false;
    }
    m_fd = copy;
    if (!m_pBuffer) {
        m_pBuffer = std::make_unique<char[]>(kBufferSize);
    }
    m_nUsed = 0;
    return true;
}

void TextFile::WriteString(const char* text) {
    WriteStringOfLength(text, std::strlen(text));
}

void TextFile::WriteStringOfLength(const char* text, std::size_t length) {
    // Each byte takes at most two in the buffer (a line feed becomes CR LF).
    if (length <= kBufferSize / 2) {
        if (m_nUsed + 2 * length > kBufferSize) {
            Flush();
        }
        char* out = m_pBuffer.get() + m_nUsed;
        const char* const end = text + length;
        if (length <= kShortString) {
            // Short strings (separators, most values) are cheaper byte by byte.
            for (; text < end; ++text) {
                if (*text == '\n') {
                    *out++ = '\r';
                }
                *out++ = *text;
            }
        }
        while (text < end) {
            const void* found = std::memchr(text, '\n', static_cast<std::size_t>(end - text));
            const char* const newline = found != nullptr ? static_cast<const char*>(found) : end;
            std::memcpy(out, text, static_cast<std::size_t>(newline - text));
            out += newline - text;
            if (newline == end) {
                break;
            }
            *out++ = '\r';
            *out++ = '\n';
            text = newline + 1;
        }
        m_nUsed = static_cast<std::size_t>(out - m_pBuffer.get());
        return;
    }
    // A long string goes out in runs between its line feeds.
    while (length > 0) {
        const void* newline = std::memchr(text, '\n', length);
        const std::size_t run =
            newline != nullptr ? static_cast<std::size_t>(static_cast<const char*>(newline) - text)
                               : length;
        Flush();
        if (!WriteAll(m_fd, text, run)) {
            throw FileError(m_strPath, errno);
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
