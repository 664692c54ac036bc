#pragma once

#include <string>

// Loading a shared library by name, as the platform's module calls do, over
// dlopen, dlsym and dlclose.
using HMODULE = void*;
using FARPROC = void (*)();

// A name without a slash is looked for beside the program first, then by the
// usual search. Null when the library cannot be loaded; *error then holds the
// loader's reason, without the library's path in front.
HMODULE LoadLibraryA(const char* name, std::string* error = nullptr);
// Null when the library has no such symbol.
FARPROC GetProcAddress(HMODULE module, const char* name);
bool FreeLibrary(HMODULE module);
