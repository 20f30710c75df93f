// The display list: appending, removing, clearing and showing items, and pushing the shared
// storage to the other charts of a sharing group.
#include "chart/chart.h"

void TCustomRChart::AppendItem(std::uint8_t kind, double x, double y)
{
    if (!m_items) m_items = std::make_shared<TItemStore>();
    // A failing growth (out of memory) leaves storage, count and capacity as they were.
    if (m_itemCount >= m_items->Capacity()) m_items->Grow(m_allocSize);
    TDisplayItem& item = m_items->Data()[m_itemCount];
    item.Kind = kind;
    item.X1 = x;
    item.Y1 = y;
    item.Layer = m_activeLayer;
    item.ItemClass = m_classDefault;
    item.Color = m_dataColor;
    item.PenStyle = m_penStyle;
    item.LineWidth = m_lineWidth;
    ++m_itemCount;
}

void TCustomRChart::AddMark(std::uint8_t markKind, double x, double y)
{
    AppendItem(ikMark, x, y);
    m_items->Data()[m_itemCount - 1].MarkKind = markKind;
    PropagateItems();
}

void TCustomRChart::AddMoveTo(double x, double y)
{
    AppendItem(ikMoveTo, x, y);
    PropagateItems();
}

void TCustomRChart::AddLineTo(double x, double y)
{
    AppendItem(ikLineTo, x, y);
    m_items->Data()[m_itemCount - 1].FillColor = m_fillColor;
    PropagateItems();
}

std::uint8_t TCustomRChart::KindOfLastItem() const
{
    return m_itemCount > 0 ? m_items->Data()[m_itemCount - 1].Kind : std::uint8_t(ikNone);
}

void TCustomRChart::DropLastItem()
{
    if (m_itemCount > 0) {
        --m_itemCount;
        if (m_itemCount == 0) m_items.reset();
    }
    PropagateItems();
}

void TCustomRChart::ClearItems()
{
    RenderChartBackground(m_dataImage.Canvas(), 0, 0);
    m_itemCount = 0;
    m_items.reset();
    PropagateItems();
}

void TCustomRChart::ShowItems()
{
    if (!isHidden()) {
        PropagateItems();
        if (m_autoRedraw)
            RefreshDataArea();
        else
            Paint();
    }
    RepaintShareGroup();
}

void TCustomRChart::PropagateItems()
{
    auto give = [this](TCustomRChart& to) {
        to.m_items = m_items;
        to.m_itemCount = m_itemCount;
    };
    if (m_shareOwner) {
        give(*m_shareOwner);
        for (int i = 0; i < m_shareOwner->m_shareUserCount; ++i) {
            TCustomRChart* user = m_shareOwner->m_shareUsers[std::size_t(i)];
            if (user != this) give(*user);
        }
    }
    for (int i = 0; i < m_shareUserCount; ++i) give(*m_shareUsers[std::size_t(i)]);
}
