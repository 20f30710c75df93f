#include "alloc_failure.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> g_failFrom{0};
}

FailLargeAllocations::FailLargeAllocations(std::size_t fromBytes) { g_failFrom = fromBytes; }
FailLargeAllocations::~FailLargeAllocations() { g_failFrom = 0; }

void* operator new(std::size_t size)
{
    const std::size_t limit = g_failFrom.load();
    if (limit != 0 && size >= limit) throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
