#pragma once
// The display list of a chart: the items in the order they were appended, the attributes new
// items take, every appending operation, dropping the last items, and the sharing of one item
// storage between the charts of a group (one owner and at most four users).
//
// Appending fills only the fields its kind reads; the rest of a slot keeps what it held, so a
// slot freed by DropLast and filled again shows its older content in the fields its new kind
// does not set. Every change is pushed to the other lists of the group at once.
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "chart/displayitem.h"
#include "chart/itemstore.h"
#include "common/types.h"

class TCustomRChart;

// The attributes new items take: colours, pen, class and layer.
struct TItemAttributes {
    TColor Color = clBlack;
    TColor FillColor = clSilver;
    TPenStyle PenStyle = psSolid;
    std::uint8_t LineWidth = 1;
    std::uint8_t ItemClass = 0;
    int Layer = 1;
};

class TDisplayList {
public:
    static constexpr int kMaxShareUsers = 4;
    static constexpr int kMinAllocSize = 1;
    static constexpr int kMaxAllocSize = 1000000;
    // ItemClass 255 is not a class: it is refused.
    static constexpr std::uint8_t kNoClass = 255;

    // An empty list of the chart `host`.
    explicit TDisplayList(TCustomRChart& host) : m_host(host) {}
    // Leaves the group: the users of this list keep what they showed, as lists of their own.
    ~TDisplayList();
    TDisplayList(const TDisplayList&) = delete;
    TDisplayList& operator=(const TDisplayList&) = delete;

    TCustomRChart& Host() const { return m_host; }

    // ---- attributes of items appended later
    const TItemAttributes& Attributes() const { return m_attributes; }
    void SetColor(TColor value) { m_attributes.Color = value; }
    void SetFillColor(TColor value) { m_attributes.FillColor = value; }
    void SetPenStyle(TPenStyle value) { m_attributes.PenStyle = value; }
    void SetLineWidth(std::uint8_t value) { m_attributes.LineWidth = value; }
    void SetItemClass(std::uint8_t value)   // 255 is ignored
    {
        if (value != kNoClass) m_attributes.ItemClass = value;
    }
    // Growth step of the visible capacity; values outside 1..1000000 are ignored.
    int AllocSize() const { return m_allocSize; }
    void SetAllocSize(int value)
    {
        if (value >= kMinAllocSize && value <= kMaxAllocSize) m_allocSize = value;
    }

    // ---- the items
    int Count() const { return m_count; }
    int Capacity() const { return m_items ? m_items->Capacity() : 0; }
    // The storage the group shares (nullptr for an empty list): its segments, for the renderer.
    const TItemStore* Store() const { return m_items.get(); }
    // Item i (0..Count-1).
    TDisplayItem Item(int i) const { return m_items->Item(i); }
    std::size_t StorageBytes() const { return m_items ? m_items->Bytes() : 0; }
    // Kind of the last item, 0 for an empty list.
    std::uint8_t KindOfLast() const { return m_count > 0 ? m_items->KindOfLast() : std::uint8_t(ikNone); }

    // ---- appending: one item with the current attributes
    void AddMark(std::uint8_t markKind, double x, double y);
    // Appends xs.size() marks at (xs[i], ys[i]), exactly as as many AddMark calls would; they are
    // kept as a run of coordinates (16 bytes a mark). Sizes that differ raise std::invalid_argument.
    void AddMarks(std::uint8_t markKind, std::span<const double> xs, std::span<const double> ys);
    void AddMoveTo(double x, double y);
    void AddLineTo(double x, double y);
    void AddLine(double x1, double y1, double x2, double y2);
    void AddRect(double x1, double y1, double x2, double y2, bool hollow);
    void AddRect3D(double x1, double y1, double x2, double y2, TColor color2, TColor color3, int frameStyle);
    void AddBar3D(double x1, double y1, double x2, double y2, int depth, int angle);
    void AddText(double x, double y, const std::string& text, int size, TAlignment alignment);
    void AddTextOffset(double x, double y, int dx, int dy, const std::string& text, int size, TAlignment alignment);
    void AddEllipse(double x, double y, double rx, double ry, bool hollow);
    void AddMoveRel(int dx, int dy);
    void AddLineRel(int dx, int dy);
    void AddArrow(double x1, double y1, double x2, double y2, int headSize, bool hollow);
    void AddRectCentred(double x, double y, int halfWidth, int halfHeight, bool hollow);
    // Appends an item of `kind` at (x, y) with the current attributes (fill colour too), hands
    // the list to the group and returns its slot, for the kind's own fields.
    TDisplayItem& Append(TItemKind kind, double x, double y);

    // Removes the last item (nothing on an empty list); the last one gone releases the storage.
    void DropLast();
    // Empties the list and releases the storage.
    void Clear();

    // ---- sharing
    enum TShareResult { srChanged, srUnchanged, srSelf, srForeign, srFull };
    // Shows the items of `owner`'s group from now on (nullptr: a list of its own again, keeping
    // the items it showed). Refused when `owner` is this list (srSelf), when others use this
    // list (srForeign) or when the owner has four users (srFull).
    TShareResult ShareWith(TDisplayList* owner);
    TDisplayList* Owner() const { return m_owner; }
    int UserCount() const { return m_userCount; }
    TDisplayList* User(int i) const   // 0..UserCount-1
    {
        return i >= 0 && i < m_userCount ? m_users[std::size_t(i)] : nullptr;
    }
    // Pushes the storage and the count to the other lists of the group.
    void Propagate();

private:
    // Fills the fields every kind has; no propagation.
    TDisplayItem& AppendBare(std::uint8_t kind, double x, double y);
    // Kind, place and the current attributes every item takes.
    void SetCommonFields(TDisplayItem& item, std::uint8_t kind, double x, double y) const;
    // A mark of `markKind` with the current attributes, at no place.
    TDisplayItem MarkLook(std::uint8_t markKind) const;
    void LeaveOwner();

    TCustomRChart& m_host;
    TItemAttributes m_attributes;
    int m_allocSize = 1000;
    TItemStorePtr m_items;
    int m_count = 0;
    TDisplayList* m_owner = nullptr;
    std::array<TDisplayList*, kMaxShareUsers> m_users{};
    int m_userCount = 0;
};
