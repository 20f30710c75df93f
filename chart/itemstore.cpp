#include "chart/itemstore.h"

#include <algorithm>
#include <new>

namespace {

std::size_t g_memoryLimit = 0;

}  // namespace

void TItemStore::SetMemoryLimit(std::size_t bytes)
{
    g_memoryLimit = bytes;
}

void TItemStore::Grow(int step)
{
    const std::size_t newSize = m_slots.size() + std::size_t(step);
    if (g_memoryLimit != 0 && newSize * sizeof(TDisplayItem) > g_memoryLimit) throw std::bad_alloc();
    // Room grows at least geometrically, so a small step costs amortised constant time per item.
    if (newSize > m_slots.capacity()) m_slots.reserve(std::max(newSize, 2 * m_slots.capacity()));
    m_slots.resize(newSize, TDisplayItem{});  // strong guarantee: a failure leaves the slots as they were
}

std::shared_ptr<TItemStore> TItemStore::Clone() const
{
    auto copy = std::make_shared<TItemStore>();
    copy->m_slots = m_slots;
    return copy;
}
