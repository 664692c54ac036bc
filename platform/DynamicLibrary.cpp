#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

HMODULE LoadLibraryA(const char* name, std::string* error) {
    dlerror();
    HMODULE module = dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr && error != nullptr) {
        const char* text = dlerror();
        *error = text != nullptr ? text : "unknown error";
    }
    return module;
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
    if (module == nullptr) {
        return nullptr;
    }
    void* symbol = dlsym(module, name);
    // A data pointer to a function pointer: the loader's documented use.
    FARPROC function = nullptr;
    static_assert(sizeof(function) == sizeof(symbol));
    __builtin_memcpy(&function, &symbol, sizeof(function));
    return function;
}

bool FreeLibrary(HMODULE module) {
    return module != nullptr && dlclose(module) == 0;
}
