#include "platform/InputPath.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

std::string HomeDirectory() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return home;
    }
    const passwd* pw = ::getpwuid(::getuid());
    return pw != nullptr && pw->pw_dir != nullptr ? pw->pw_dir : "/";
}

}  // namespace

std::optional<InputPathProblem> CheckInputPath(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        const int error = errno;
        struct stat link {};
        if (error == ENOENT && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
            return InputPathProblem{ENOENT, "dangling link (the file it names does not exist)"};
        }
        return InputPathProblem{error, std::strerror(error)};
    }
    if (S_ISDIR(info.st_mode)) {
        return InputPathProblem{EISDIR, std::strerror(EISDIR)};
    }
    if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) {
        return InputPathProblem{ENODEV, "a pipe or socket, not a file"};
    }
    if (!S_ISREG(info.st_mode)) {
        return InputPathProblem{ENODEV, "a device, not a file"};
    }
    return std::nullopt;
}

std::string PlainFilePath(const std::string& path) {
    return path.rfind("file:", 0) == 0 ? "./" + path : path;
}

std::string DefaultBookPath() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    // Relative values are to be ignored, as the base-directory rules say.
    const std::string base =
        xdg != nullptr && xdg[0] == '/' ? std::string(xdg) : HomeDirectory() + "/.local/share";
    return base + "/quorvel/default.wab";
}
