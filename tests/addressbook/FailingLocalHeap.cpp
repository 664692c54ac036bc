// A local heap that gives no block while g_localHeapFails is set, linked in
// place of the real one.
#include "platform/LocalHeap.h"

#include <cstdlib>

bool g_localHeapFails = false;

void* LocalAlloc(unsigned /*flags*/, std::size_t bytes) {
    return g_localHeapFails || bytes == 0 ? nullptr : std::calloc(1, bytes);
}

void* LocalFree(void* block) {
    std::free(block);
    return nullptr;
}
