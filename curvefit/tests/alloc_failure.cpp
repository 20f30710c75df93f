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
// The nothrow form too (std::stable_sort's temporary buffer takes it and gives it back through
// the plain delete): otherwise the sanitizer's own nothrow new would meet the free() below.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
