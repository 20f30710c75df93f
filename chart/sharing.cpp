// Data sharing: a chart may show the display list of another chart, which keeps up to four
// such users. Sharing is one level deep.
#include "chart/chart.h"

#include <QGuiApplication>

#include "platform/msgbox.h"

namespace {

constexpr const char* kMsgShareSelf = "RChart: Cannot share data with myself";
constexpr const char* kMsgShareForeign = "RChart: Cannot use foreign data. Other RCharts are using my own data.";
constexpr const char* kMsgShareMax = "RChart: Max. number of data shares exceeded";

// An information box with one OK button, captioned with the application's title.
void Inform(const char* text)
{
    ShowMessageBox(text, QGuiApplication::applicationDisplayName().toStdString(), mbiInformation);
}

}  // namespace

void TCustomRChart::LeaveShareOwner()
{
    TCustomRChart* owner = m_shareOwner;
    if (!owner) return;
    auto& users = owner->m_shareUsers;
    int n = owner->m_shareUserCount;
    for (int i = 0; i < n; ++i) {
        if (users[std::size_t(i)] != this) continue;
        for (int j = i; j + 1 < n; ++j) users[std::size_t(j)] = users[std::size_t(j + 1)];
        users[std::size_t(n - 1)] = nullptr;
        --n;
        break;
    }
    owner->m_shareUserCount = n;
    m_shareOwner = nullptr;
}

void TCustomRChart::SetUseDataOf(TCustomRChart* value)
{
    if (value == this) {
        Inform(kMsgShareSelf);
        return;
    }
    if (m_shareUserCount > 0) {
        Inform(kMsgShareForeign);
        return;
    }
    if (value == m_shareOwner) return;
    if (!value) {
        // The chart keeps showing the items it showed, now as a list of its own.
        LeaveShareOwner();
        if (m_items) m_items = m_items->Clone();
        PartChanged();
        return;
    }
    if (value->m_shareOwner) value = value->m_shareOwner;
    if (value == this || value == m_shareOwner) return;  // already in that group
    if (value->m_shareUserCount >= kMaxShareUsers) {
        Inform(kMsgShareMax);
        return;
    }
    LeaveShareOwner();
    m_shareOwner = value;
    m_items = value->m_items;
    m_itemCount = value->m_itemCount;
    value->m_shareUsers[std::size_t(value->m_shareUserCount++)] = this;
    PartChanged();
}

void TCustomRChart::RepaintShareGroup()
{
    auto paintIf = [](TCustomRChart& c) {
        if (c.m_autoRedraw) c.Paint();
    };
    if (m_shareOwner) {
        TCustomRChart& owner = *m_shareOwner;
        paintIf(owner);
        for (int i = 0; i < owner.m_shareUserCount; ++i) paintIf(*owner.m_shareUsers[std::size_t(i)]);
    }
    for (int i = 0; i < m_shareUserCount; ++i) paintIf(*m_shareUsers[std::size_t(i)]);
}
