#pragma once
// The storage of a display list, shared by the charts of a sharing group. Its visible slot
// count (Capacity) grows by the chart's AllocSize step; underneath, the memory grows
// geometrically, so appending stays amortised constant time whatever the step.
#include <cstddef>
#include <memory>
#include <vector>

#include "chart/displayitem.h"

class TItemStore {
public:
    TItemStore() = default;
    TItemStore(const TItemStore&) = delete;
    TItemStore& operator=(const TItemStore&) = delete;

    int Capacity() const { return int(m_slots.size()); }
    TDisplayItem* Data() { return m_slots.data(); }
    const TDisplayItem* Data() const { return m_slots.data(); }

    // Adds `step` zeroed slots. On failure (std::bad_alloc) nothing changes.
    void Grow(int step);

    // Bytes of memory the slots hold, room for growth included.
    std::size_t Bytes() const { return m_slots.capacity() * sizeof(TDisplayItem); }
    // A store of its own with the same slots.
    std::shared_ptr<TItemStore> Clone() const;

    // A limit in bytes for the memory of all stores, for tests of failing growth; 0 means none.
    static void SetMemoryLimit(std::size_t bytes);

private:
    std::vector<TDisplayItem> m_slots;
};

using TItemStorePtr = std::shared_ptr<TItemStore>;
