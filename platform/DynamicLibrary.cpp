#include "platform/DynamicLibrary.h"

#include "platform/InputPath.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>

namespace {

// The directory of the running program, or empty when it cannot be told.
std::string ProgramDirectory() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return {};
    }
    path[length] = '\0';
    char* slash = std::strrchr(path, '/');
    return slash != nullptr ? std::string(path, slash) : std::string();
}

HMODULE Open(const char* path, std::string* error) {
    // A FIFO, device or folder would block or puzzle the loader: only a
    // regular file, or a missing one the loader then tells of, is tried.
    if (std::strchr(path, '/') != nullptr) {
        const std::optional<InputPathProblem> problem = CheckInputPath(path);
        if (problem && (problem->error == EISDIR || problem->error == ENODEV)) {
            if (error != nullptr) {
                *error = problem->reason;
            }
            return nullptr;
        }
    }
    dlerror();
    HMODULE module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr && error != nullptr) {
        const char* text = dlerror();
        *error = text != nullptr ? text : "unknown error";
        // The loader's text usually begins with the path; callers name the library.
        const std::string prefix = std::string(path) + ": ";
        if (error->rfind(prefix, 0) == 0) {
            error->erase(0, prefix.size());
        }
    }
    return module;
}

}  // namespace

HMODULE LoadLibraryA(const char* name, std::string* error) {
    // As the platform's loader does, a bare name is looked for beside the
    // program first. This also holds where dlopen is called through another
    // library (a sanitizer's interceptor) that does not carry the program's
    // run path; then comes the usual search.
    if (std::strchr(name, '/') == nullptr) {
        const std::string directory = ProgramDirectory();
        if (!directory.empty()) {
            const std::string beside = directory + "/" + name;
            if (access(beside.c_str(), F_OK) == 0) {
                return Open(beside.c_str(), error);
            }
        }
    }
    return Open(name, error);
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
    if (module == nullptr) {
        return nullptr;
    }
    void* symbol = dlsym(module, name);
    // A data pointer to a function pointer: the loader's documented use.
    FARPROC function = nullptr;
    static_assert(sizeof(function) == sizeof(symbol));
    std::memcpy(&function, &symbol, sizeof(function));
    return function;
}

bool FreeLibrary(HMODULE module) {
    return module != nullptr && dlclose(module) == 0;
}
