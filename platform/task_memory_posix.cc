#include <cstdlib>

#include "platform/vss_compat.h"

void* CoTaskMemAlloc(size_t size) { return std::malloc(size ? size : 1); }

void CoTaskMemFree(void* memory) { std::free(memory); }
