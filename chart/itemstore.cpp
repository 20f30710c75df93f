#include "chart/itemstore.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

std::size_t g_memoryLimit = 0;

}  // namespace

void TItemStore::SetMemoryLimit(std::size_t bytes)
{
    g_memoryLimit = bytes;
}

bool TItemStore::SameLook(const TDisplayItem& a, const TDisplayItem& b)
{
    return a.Kind == b.Kind && a.MarkKind == b.MarkKind && a.Layer == b.Layer && a.ItemClass == b.ItemClass &&
           a.Color == b.Color && a.PenStyle == b.PenStyle && a.LineWidth == b.LineWidth;
}

void TItemStore::Grow(int step)
{
    const std::size_t newCapacity = std::size_t(m_capacity) + std::size_t(step);
    if (g_memoryLimit != 0 && newCapacity * sizeof(TDisplayItem) > g_memoryLimit) throw std::bad_alloc();
    m_capacity = int(newCapacity);
}

TItemStore::TSegment& TItemStore::LastSegment(bool marks)
{
    if (m_segments.empty() || m_segments.back().Marks != marks) {
        TSegment s;
        s.Start = m_count;
        s.Marks = marks;
        m_segments.push_back(std::move(s));
    }
    return m_segments.back();
}

TDisplayItem& TItemStore::AppendSlot()
{
    TSegment& s = LastSegment(false);
    // A slot freed by DropLast is filled again with what it held in the fields the new kind
    // does not set; a new one starts zeroed.
    if (std::size_t(s.Used) == s.Slots.size()) s.Slots.emplace_back();
    ++m_count;
    return s.Slots[std::size_t(s.Used++)];
}

void TItemStore::PutMark(TMarkRun& run, double x, double y)
{
    const int k = run.Count;
    if ((k & (kBlockMarks - 1)) == 0 && std::size_t(k >> kBlockShift) == run.Blocks.size())
        run.Blocks.push_back(std::make_unique_for_overwrite<double[]>(2 * std::size_t(kBlockMarks)));
    double* at = run.Blocks[std::size_t(k >> kBlockShift)].get() + 2 * (k & (kBlockMarks - 1));
    at[0] = x;
    at[1] = y;
    ++run.Count;
}

bool TItemStore::ExtendRun(const TDisplayItem& look, double x, double y)
{
    if (m_segments.empty() || !m_segments.back().Marks || !SameLook(m_segments.back().Run.Look, look)) return false;
    TSegment& s = m_segments.back();
    PutMark(s.Run, x, y);
    ++s.Used;
    ++m_count;
    return true;
}

void TItemStore::AppendRun(const TDisplayItem& look, const double* xs, const double* ys, int n)
{
    if (n <= 0) return;
    if (m_segments.empty() || !m_segments.back().Marks || !SameLook(m_segments.back().Run.Look, look)) {
        TSegment s;
        s.Start = m_count;
        s.Marks = true;
        s.Run.Look = look;
        s.Run.Look.X1 = s.Run.Look.Y1 = 0.0;
        m_segments.push_back(std::move(s));
    }
    TSegment& s = m_segments.back();
    TMarkRun& run = s.Run;
    // The blocks first, so a failing allocation leaves the run as it was.
    const std::size_t blocks = std::size_t((run.Count + n + kBlockMarks - 1) >> kBlockShift);
    while (run.Blocks.size() < blocks)
        run.Blocks.push_back(std::make_unique_for_overwrite<double[]>(2 * std::size_t(kBlockMarks)));
    for (int i = 0; i < n;) {
        const int k = run.Count;
        const int inBlock = std::min(n - i, kBlockMarks - (k & (kBlockMarks - 1)));
        double* at = run.Blocks[std::size_t(k >> kBlockShift)].get() + 2 * (k & (kBlockMarks - 1));
        for (int j = 0; j < inBlock; ++j) {
            at[2 * j] = xs[i + j];
            at[2 * j + 1] = ys[i + j];
        }
        run.Count += inBlock;
        i += inBlock;
    }
    s.Used += n;
    m_count += n;
}

void TItemStore::DropLast()
{
    if (m_count == 0) return;
    // An emptied plain segment behind the last item goes; its freed slots lie past the slots that
    // are freed next.
    while (m_segments.back().Used == 0) m_segments.pop_back();
    TSegment& s = m_segments.back();
    --m_count;
    --s.Used;
    if (s.Marks) {
        --s.Run.Count;
        // A mark run that empties goes: the plain slots before it are the last again, freed
        // slots and all. A slot filled after that starts zeroed where a mark of the run was.
        if (s.Used == 0) m_segments.pop_back();
    }
}

TDisplayItem TItemStore::Item(int i) const
{
    const auto next = std::upper_bound(m_segments.begin(), m_segments.end(), i,
                                       [](int index, const TSegment& s) { return index < s.Start; });
    const TSegment& s = *(next - 1);
    const int k = i - s.Start;
    if (!s.Marks) return s.Slots[std::size_t(k)];
    TDisplayItem item = s.Run.Look;
    const double* xy = s.Run.XY(k);
    item.X1 = xy[0];
    item.Y1 = xy[1];
    return item;
}

std::uint8_t TItemStore::KindOfLast() const
{
    if (m_count == 0) return ikNone;
    auto last = m_segments.end() - 1;
    while (last->Used == 0) --last;
    const TSegment& s = *last;
    return s.Marks ? s.Run.Look.Kind : s.Slots[std::size_t(s.Used - 1)].Kind;
}

std::size_t TItemStore::Bytes() const
{
    std::size_t bytes = m_segments.capacity() * sizeof(TSegment);
    for (const TSegment& s : m_segments)
        bytes += s.Slots.capacity() * sizeof(TDisplayItem) +
                 s.Run.Blocks.size() * 2 * sizeof(double) * std::size_t(kBlockMarks) +
                 s.Run.Blocks.capacity() * sizeof(std::unique_ptr<double[]>);
    return bytes;
}

std::shared_ptr<TItemStore> TItemStore::Clone() const
{
    auto copy = std::make_shared<TItemStore>();
    copy->m_count = m_count;
    copy->m_capacity = m_capacity;
    copy->m_segments.reserve(m_segments.size());
    for (const TSegment& s : m_segments) {
        TSegment c;
        c.Start = s.Start;
        c.Used = s.Used;
        c.Marks = s.Marks;
        c.Slots = s.Slots;
        c.Run.Look = s.Run.Look;
        c.Run.Count = s.Run.Count;
        for (const auto& block : s.Run.Blocks) {
            c.Run.Blocks.push_back(std::make_unique_for_overwrite<double[]>(2 * std::size_t(kBlockMarks)));
            std::memcpy(c.Run.Blocks.back().get(), block.get(), 2 * sizeof(double) * std::size_t(kBlockMarks));
        }
        copy->m_segments.push_back(std::move(c));
    }
    return copy;
}
