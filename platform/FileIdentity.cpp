#include "platform/FileIdentity.h"

#include <sys/stat.h>

namespace {

FileIdentity IdentityOf(const struct stat& info) {
    return FileIdentity{info.st_dev, info.st_ino};
}

}  // namespace

std::optional<FileIdentity> IdentityOfFd(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return std::nullopt;
    }
    return IdentityOf(info);
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return IdentityOf(info);
}

bool IsTheFile(int fd, const std::optional<FileIdentity>& book) {
    if (!book) {
        return false;
    }
    const std::optional<FileIdentity> output = IdentityOfFd(fd);
    return output && *output == *book;
}
