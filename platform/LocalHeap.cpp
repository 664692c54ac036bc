#include "platform/LocalHeap.h"

#include <cstdlib>

void* LocalAlloc(unsigned flags, std::size_t bytes) {
    if (bytes == 0) {
        return nullptr;
    }
    return (flags & LMEM_ZEROINIT) != 0 ? std::calloc(1, bytes) : std::malloc(bytes);
}

void* LocalFree(void* block) {
    std::free(block);
    return nullptr;
}
