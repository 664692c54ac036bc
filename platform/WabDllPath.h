#pragma once

#include <cstddef>

// Where the address-book library is found: the QUORVEL_WAB_DLLPATH setting,
// read like the platform's registry value into a buffer of fixed size.
inline constexpr std::size_t kWabDllPathSize = 260;  // bytes, terminator included
inline constexpr const char* kDefaultWabDllName = "libwab32.so";
inline constexpr const char* kWabDllPathVariable = "QUORVEL_WAB_DLLPATH";

// Copies the setting into buffer (size bytes) when it is set and fits with its
// terminator; otherwise buffer holds the empty string. Returns whether the
// buffer holds a non-empty path. A value that does not fit is never cut short.
bool ReadWabDllPath(char* buffer, std::size_t size);
