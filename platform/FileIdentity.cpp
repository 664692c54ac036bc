#include "platform/FileIdentity.h"

#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <climits>
#include <cstdlib>
#include <string_view>

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

namespace {

// Whether folder is this process's (or one of its threads') descriptor folder.
bool IsOwnDescriptorFolder(const std::string& folder) {
    char* resolved = ::realpath(folder.c_str(), nullptr);
    if (resolved == nullptr) {
        return false;
    }
    const std::string real = resolved;
    std::free(resolved);
    const std::string own = "/proc/" + std::to_string(::getpid());
    if (real == own + "/fd") {
        return true;
    }
    const std::string task = own + "/task/";
    return real.starts_with(task) && real.ends_with("/fd") &&
           real.find('/', task.size()) == real.size() - 3;
}

// A descriptor number as the descriptor folder names it: decimal digits
// without a leading zero.
std::optional<int> DescriptorNumber(std::string_view name) {
    int number = 0;
    const auto [end, failure] = std::from_chars(name.data(), name.data() + name.size(), number);
    if (name.empty() || failure != std::errc() || end != name.data() + name.size() ||
        name[0] == '-' || name[0] == '+' || (name[0] == '0' && name.size() > 1)) {
        return std::nullopt;
    }
    return number;
}

}  // namespace

std::optional<int> OwnDescriptorOf(const std::string& path) {
    std::string current = path;
    // Links are followed one at a time, as the system would (at most 40).
    for (int hops = 0; hops <= 40; ++hops) {
        const std::size_t slash = current.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "."
                                   : slash == 0               ? "/"
                                                              : current.substr(0, slash);
        const std::string name = slash == std::string::npos ? current : current.substr(slash + 1);
        if (IsOwnDescriptorFolder(folder)) {
            return DescriptorNumber(name);
        }
        char target[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), target, sizeof target - 1);
        if (length <= 0) {
            return std::nullopt;
        }
        target[length] = '\0';
        current = target[0] == '/' ? std::string(target) : folder + "/" + target;
    }
    return std::nullopt;
}
