#pragma once
// Allocation failure on demand for the test binary, which replaces the global operator new.
#include <cstddef>

// While alive, every allocation of at least `fromBytes` bytes throws std::bad_alloc. Small
// allocations (exception texts) still succeed.
class FailLargeAllocations {
public:
    explicit FailLargeAllocations(std::size_t fromBytes);
    ~FailLargeAllocations();
    FailLargeAllocations(const FailLargeAllocations&) = delete;
    FailLargeAllocations& operator=(const FailLargeAllocations&) = delete;
};
