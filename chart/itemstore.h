#pragma once
// The storage of a display list, shared by the charts of a sharing group: the items in the order
// appended, as segments. A plain segment holds whole item records; a mark run holds marks that
// look alike (kind, glyph, layer, class, colour, pen) as their coordinates alone, 16 bytes a
// mark, in blocks that never move, with the look stored once. Its visible slot count (Capacity)
// grows by the chart's AllocSize step; underneath, plain slots grow geometrically and mark runs
// by whole blocks, so appending stays amortised constant time and growing never copies marks.
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "chart/displayitem.h"

class TItemStore {
public:
    // Marks per block of a run: 1 MiB of coordinates.
    static constexpr int kBlockShift = 16;
    static constexpr int kBlockMarks = 1 << kBlockShift;

    // Marks of one look, the k-th at (XY(k)[0], XY(k)[1]).
    struct TMarkRun {
        TDisplayItem Look{};  // every field of the marks but X1 and Y1
        int Count = 0;
        std::vector<std::unique_ptr<double[]>> Blocks;
        const double* XY(int k) const { return Blocks[std::size_t(k >> kBlockShift)].get() + 2 * (k & (kBlockMarks - 1)); }
    };
    struct TSegment {
        int Start = 0;                    // list index of its first item
        int Used = 0;                     // items in use
        bool Marks = false;               // a mark run, else plain slots
        std::vector<TDisplayItem> Slots;  // plain: Used in use; the rest keep what they held
        TMarkRun Run;
    };

    TItemStore() = default;
    TItemStore(const TItemStore&) = delete;
    TItemStore& operator=(const TItemStore&) = delete;

    int Capacity() const { return m_capacity; }
    int Count() const { return m_count; }
    std::span<const TSegment> Segments() const { return m_segments; }

    // Item i (0..Count-1); a mark of a run is its look at its place.
    TDisplayItem Item(int i) const;
    std::uint8_t KindOfLast() const;

    // Raises the visible capacity by `step` slots. On failure (std::bad_alloc) nothing changes.
    void Grow(int step);
    // The next plain slot (the caller fills it), counted in. Room must be there (Capacity).
    TDisplayItem& AppendSlot();
    // Appends a mark of `look` at (x, y) to the last segment when that is a run of the same
    // look; false (nothing done) otherwise.
    bool ExtendRun(const TDisplayItem& look, double x, double y);
    // Appends n marks of `look` as a run (the last one when it has that look). Room must be there.
    void AppendRun(const TDisplayItem& look, const double* xs, const double* ys, int n);
    // Drops the last item.
    void DropLast();

    // Bytes of memory the items hold, room for growth included.
    std::size_t Bytes() const;
    // A store of its own with the same items.
    std::shared_ptr<TItemStore> Clone() const;

    // Whether two marks look alike (every field a run keeps once).
    static bool SameLook(const TDisplayItem& a, const TDisplayItem& b);

    // A limit in bytes for the memory of all stores, for tests of failing growth; 0 means none.
    // It counts a whole item record per visible slot.
    static void SetMemoryLimit(std::size_t bytes);

private:
    TSegment& LastSegment(bool marks);
    void PutMark(TMarkRun& run, double x, double y);

    std::vector<TSegment> m_segments;
    int m_count = 0;
    int m_capacity = 0;
};

using TItemStorePtr = std::shared_ptr<TItemStore>;
