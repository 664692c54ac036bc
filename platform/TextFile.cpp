#include "platform/TextFile.h"

#include "platform/TempFileCleanup.h"

#include <cerrno>
#include <cstdlib>
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
    if (IsOpen() && m_strTemp.empty()) {
        // Best effort: a destructor reports nothing.
        WriteAll(m_fd, m_pBuffer.get(), m_nUsed);
    }
    Discard();
}

namespace {

// Takes the exclusive lock of an export and checks that fd is not the book;
// fills error and returns false otherwise.
bool ClaimOutput(int fd, const std::string& path, const FileIdentity* book, FileError& error) {
    // Only a regular file is locked: a device such as /dev/full is shared by
    // every writer, and a lock on it says nothing.
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (regular && ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        error = FileError(path, "in use by another export");
        return false;
    }
    if (book != nullptr && IsTheFile(fd, *book)) {
        error = FileError(path, "it is the address book being read", true);
        return false;
    }
    return true;
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace

bool TextFile::Open(const std::string& path, FileError* error,
                    const std::optional<FileIdentity>& book, WriteMode mode) {
    // /dev/stdout and its kin are written through the descriptor, as "-" is:
    // followed, they would lead to the file behind it, to be replaced or emptied.
    if (const std::optional<int> fd = OwnDescriptorOf(path)) {
        return OpenDescriptor(*fd, path, error, book);
    }
    Discard();
    m_strPath = path;
    const FileIdentity* bookIdentity = book ? &*book : nullptr;
    FileError failure(path, 0);
    const bool opened = mode == WriteMode::Replace ? OpenReplacing(bookIdentity, failure)
                                                   : OpenInPlace(bookIdentity, failure);
    if (!opened) {
        Discard();
        if (error != nullptr) {
            *error = failure;
        }
        return false;
    }
    if (!m_pBuffer) {
        m_pBuffer = std::make_unique<char[]>(kBufferSize);
    }
    m_nUsed = 0;
    return true;
}

bool TextFile::OpenInPlace(const FileIdentity* book, FileError& error) {
    // Opened without truncation first, so that a file another writer holds,
    // or the book itself, is left whole; emptied once it is known to be ours.
    m_fd = ::open(m_strPath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        error = FileError(m_strPath, errno);
        return false;
    }
    if (!ClaimOutput(m_fd, m_strPath, book, error)) {
        return false;
    }
    struct stat info {};
    if (::fstat(m_fd, &info) == 0 && S_ISREG(info.st_mode) && ::ftruncate(m_fd, 0) != 0) {
        error = FileError(m_strPath, errno);
        return false;
    }
    return true;
}

bool TextFile::OpenReplacing(const FileIdentity* book, FileError& error) {
    struct stat info {};
    const bool exists = ::stat(m_strPath.c_str(), &info) == 0;
    struct stat link {};
    const bool isLink = ::lstat(m_strPath.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    if ((exists && !S_ISREG(info.st_mode)) || (!exists && (errno != ENOENT || isLink))) {
        // FIFOs, devices, folders, dangling links and unreadable paths.
        return OpenInPlace(book, error);
    }
    m_strTarget = m_strPath;
    if (isLink) {
        // The file the link names is replaced, not the link.
        char* resolved = ::realpath(m_strPath.c_str(), nullptr);
        if (resolved == nullptr) {
            error = FileError(m_strPath, errno);
            return false;
        }
        m_strTarget = resolved;
        std::free(resolved);
    }
    if (exists) {
        // Held open and locked until it is replaced; opening it for writing
        // also asks whether the user may change it.
        m_lockFd = ::open(m_strTarget.c_str(), O_WRONLY | O_CLOEXEC);
        if (m_lockFd < 0) {
            error = FileError(m_strPath, errno);
            return false;
        }
        if (!ClaimOutput(m_lockFd, m_strPath, book, error)) {
            return false;
        }
    }
    std::string temp = m_strTarget + ".tmp-XXXXXX";
    m_fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (m_fd < 0) {
        error = FileError(m_strPath, errno);
        return false;
    }
    m_strTemp = temp;
    m_tempSlot = RegisterTempFile(m_strTemp.c_str());
    const mode_t mode = exists ? (info.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (::fchmod(m_fd, mode) != 0) {
        error = FileError(m_strPath, errno);
        return false;
    }
    return true;
}

bool TextFile::OpenDescriptor(int fd, const std::string& name, FileError* error,
                              const std::optional<FileIdentity>& book) {
    Discard();
    m_strPath = name;
    FileError failure(name, 0);
    if (book && IsTheFile(fd, *book)) {
        failure = FileError(name, "it is the address book being read", true);
    } else if ((m_fd = ::fcntl(fd, F_DUPFD_CLOEXEC, 3)) < 0) {
        failure = FileError(name, errno);
    } else {
        if (!m_pBuffer) {
            m_pBuffer = std::make_unique<char[]>(kBufferSize);
        }
        m_nUsed = 0;
        return true;
    }
    if (error != nullptr) {
        *error = failure;
    }
    return false;
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
    if (!m_strTemp.empty() && failure == 0 && ::fsync(m_fd) != 0) {
        failure = errno;
    }
    if (::close(m_fd) != 0 && failure == 0) {
        failure = errno;
    }
    m_fd = -1;
    if (!m_strTemp.empty() && failure == 0 &&
        ::rename(m_strTemp.c_str(), m_strTarget.c_str()) != 0) {
        failure = errno;
    }
    if (failure == 0) {
        m_strTemp.clear();
    }
    Discard();
    if (failure != 0) {
        throw FileError(m_strPath, failure);
    }
}

void TextFile::Discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_strTemp.empty()) {
        ::unlink(m_strTemp.c_str());
        m_strTemp.clear();
    }
    UnregisterTempFile(m_tempSlot);
    m_tempSlot = -1;
    if (m_lockFd >= 0) {
        ::close(m_lockFd);
        m_lockFd = -1;
    }
    m_nUsed = 0;
}
