#include "platform/WabDllPath.h"

#include <cstdlib>
#include <cstring>

bool ReadWabDllPath(char* buffer, std::size_t size) {
    if (size == 0) {
        return false;
    }
    buffer[0] = '\0';
    const char* value = std::getenv(kWabDllPathVariable);
    if (value == nullptr) {
        return false;
    }
    const std::size_t length = std::strlen(value);
    if (length == 0 || length + 1 > size) {
        return false;
    }
    std::memcpy(buffer, value, length + 1);
    return true;
}
