#include "chart/displaylist.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>

namespace {

// Copies `text` into an item, cut to the item's length at a character boundary.
void SetItemText(TDisplayItem& item, const std::string& text)
{
    std::size_t n = std::min<std::size_t>(text.size(), kItemTextLength);
    while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    std::copy_n(text.data(), n, item.Text);
    item.Text[n] = '\0';
}

}  // namespace

TDisplayList::~TDisplayList()
{
    // Leave the group so no other list keeps a pointer to this one.
    LeaveOwner();
    // Each user keeps what it showed, as a list of its own.
    for (int i = 0; i < m_userCount; ++i) {
        TDisplayList* user = m_users[std::size_t(i)];
        user->m_owner = nullptr;
        if (user->m_items) user->m_items = user->m_items->Clone();
    }
    m_userCount = 0;
}

TDisplayItem& TDisplayList::AppendBare(std::uint8_t kind, double x, double y)
{
    if (!m_items) m_items = std::make_shared<TItemStore>();
    // A failing growth (out of memory) leaves storage, count and capacity as they were.
    if (m_count >= m_items->Capacity()) m_items->Grow(m_allocSize);
    TDisplayItem& item = m_items->AppendSlot();
    SetCommonFields(item, kind, x, y);
    m_count = m_items->Count();
    return item;
}

void TDisplayList::SetCommonFields(TDisplayItem& item, std::uint8_t kind, double x, double y) const
{
    item.Kind = kind;
    item.X1 = x;
    item.Y1 = y;
    item.Layer = m_attributes.Layer;
    item.ItemClass = m_attributes.ItemClass;
    item.Color = m_attributes.Color;
    item.PenStyle = m_attributes.PenStyle;
    item.LineWidth = m_attributes.LineWidth;
}

TDisplayItem TDisplayList::MarkLook(std::uint8_t markKind) const
{
    TDisplayItem look{};
    SetCommonFields(look, ikMark, 0.0, 0.0);
    look.MarkKind = markKind;
    return look;
}

TDisplayItem& TDisplayList::Append(TItemKind kind, double x, double y)
{
    TDisplayItem& item = AppendBare(kind, x, y);
    item.FillColor = m_attributes.FillColor;
    // The group shares the storage, so the slot filled after this is theirs too.
    Propagate();
    return item;
}

void TDisplayList::AddMark(std::uint8_t markKind, double x, double y)
{
    // A mark that looks like the run of marks it follows joins that run.
    if (!m_items) m_items = std::make_shared<TItemStore>();
    if (m_count >= m_items->Capacity()) m_items->Grow(m_allocSize);
    if (m_items->ExtendRun(MarkLook(markKind), x, y)) {
        m_count = m_items->Count();
    } else {
        AppendBare(ikMark, x, y).MarkKind = markKind;
    }
    Propagate();
}

void TDisplayList::AddMarks(std::uint8_t markKind, std::span<const double> xs, std::span<const double> ys)
{
    if (xs.size() != ys.size()) throw std::invalid_argument("AddMarks: as many x as y values are needed");
    if (xs.empty()) return;
    if (xs.size() > std::size_t(std::numeric_limits<int>::max() - m_count)) throw std::bad_alloc();
    const int n = int(xs.size());
    if (!m_items) m_items = std::make_shared<TItemStore>();
    // The capacity grows by as many steps as n single appends would take; a failure leaves the
    // list as it was.
    const int missing = m_count + n - m_items->Capacity();
    if (missing > 0) m_items->Grow(int((std::int64_t(missing) + m_allocSize - 1) / m_allocSize * m_allocSize));
    m_items->AppendRun(MarkLook(markKind), xs.data(), ys.data(), n);
    m_count = m_items->Count();
    Propagate();
}

void TDisplayList::AddMoveTo(double x, double y)
{
    AppendBare(ikMoveTo, x, y);
    Propagate();
}

void TDisplayList::AddLineTo(double x, double y)
{
    AppendBare(ikLineTo, x, y).FillColor = m_attributes.FillColor;
    Propagate();
}

void TDisplayList::AddLine(double x1, double y1, double x2, double y2)
{
    TDisplayItem& item = Append(ikLine, x1, y1);
    item.X2 = x2;
    item.Y2 = y2;
}

void TDisplayList::AddRect(double x1, double y1, double x2, double y2, bool hollow)
{
    TDisplayItem& item = Append(ikRect, x1, y1);
    item.X2 = x2;
    item.Y2 = y2;
    item.Hollow = hollow;
}

void TDisplayList::AddRect3D(double x1, double y1, double x2, double y2, TColor color2, TColor color3, int frameStyle)
{
    TDisplayItem& item = Append(ikRect3D, x1, y1);
    item.X2 = x2;
    item.Y2 = y2;
    item.Color2 = color2;
    item.Color3 = color3;
    item.FrameStyle3D = std::uint8_t(std::clamp(frameStyle, 0, 255));
}

void TDisplayList::AddBar3D(double x1, double y1, double x2, double y2, int depth, int angle)
{
    TDisplayItem& item = Append(ikBar3D, x1, y1);
    item.X2 = x2;
    item.Y2 = y2;
    item.Depth = depth;
    item.Size = angle;
}

void TDisplayList::AddText(double x, double y, const std::string& text, int size, TAlignment alignment)
{
    TDisplayItem& item = Append(ikText, x, y);
    SetItemText(item, text);
    item.Size = size;
    item.MarkKind = std::uint8_t(alignment);
}

void TDisplayList::AddTextOffset(double x, double y, int dx, int dy, const std::string& text, int size,
                                 TAlignment alignment)
{
    TDisplayItem& item = Append(ikTextOffset, x, y);
    item.X2 = dx;
    item.Y2 = dy;
    SetItemText(item, text);
    item.Size = size;
    item.MarkKind = std::uint8_t(alignment);
}

void TDisplayList::AddEllipse(double x, double y, double rx, double ry, bool hollow)
{
    TDisplayItem& item = Append(ikEllipse, x, y);
    item.X2 = rx;
    item.Y2 = ry;
    item.Hollow = hollow;
}

void TDisplayList::AddMoveRel(int dx, int dy) { Append(ikMoveRel, dx, dy); }

void TDisplayList::AddLineRel(int dx, int dy) { Append(ikLineRel, dx, dy); }

void TDisplayList::AddArrow(double x1, double y1, double x2, double y2, int headSize, bool hollow)
{
    TDisplayItem& item = Append(ikArrow, x1, y1);
    item.X2 = x2;
    item.Y2 = y2;
    item.Size = headSize;
    item.Hollow = hollow;
}

void TDisplayList::AddRectCentred(double x, double y, int halfWidth, int halfHeight, bool hollow)
{
    TDisplayItem& item = Append(ikRectCentred, x, y);
    item.X2 = halfWidth;
    item.Y2 = halfHeight;
    item.Hollow = hollow;
}

void TDisplayList::DropLast()
{
    if (m_count > 0) {
        m_items->DropLast();
        m_count = m_items->Count();
        if (m_count == 0) m_items.reset();
    }
    Propagate();
}

void TDisplayList::Clear()
{
    m_count = 0;
    m_items.reset();
    Propagate();
}

void TDisplayList::Propagate()
{
    auto give = [this](TDisplayList& to) {
        to.m_items = m_items;
        to.m_count = m_count;
    };
    if (m_owner) {
        give(*m_owner);
        for (int i = 0; i < m_owner->m_userCount; ++i) {
            TDisplayList* user = m_owner->m_users[std::size_t(i)];
            if (user != this) give(*user);
        }
    }
    for (int i = 0; i < m_userCount; ++i) give(*m_users[std::size_t(i)]);
}

void TDisplayList::LeaveOwner()
{
    TDisplayList* owner = m_owner;
    if (!owner) return;
    auto& users = owner->m_users;
    int n = owner->m_userCount;
    for (int i = 0; i < n; ++i) {
        if (users[std::size_t(i)] != this) continue;
        for (int j = i; j + 1 < n; ++j) users[std::size_t(j)] = users[std::size_t(j + 1)];
        users[std::size_t(n - 1)] = nullptr;
        --n;
        break;
    }
    owner->m_userCount = n;
    m_owner = nullptr;
}

TDisplayList::TShareResult TDisplayList::ShareWith(TDisplayList* owner)
{
    if (owner == this) return srSelf;
    if (m_userCount > 0) return srForeign;
    if (owner == m_owner) return srUnchanged;
    if (!owner) {
        // The list keeps showing the items it showed, now as a list of its own.
        LeaveOwner();
        if (m_items) m_items = m_items->Clone();
        return srChanged;
    }
    // Sharing is one level deep: the user of a user shows its owner's items.
    if (owner->m_owner) owner = owner->m_owner;
    if (owner == this || owner == m_owner) return srUnchanged;  // already in that group
    if (owner->m_userCount >= kMaxShareUsers) return srFull;
    LeaveOwner();
    m_owner = owner;
    m_items = owner->m_items;
    m_count = owner->m_count;
    owner->m_users[std::size_t(owner->m_userCount++)] = this;
    return srChanged;
}
