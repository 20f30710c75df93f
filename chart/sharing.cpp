// The chart's side of the display list: clearing and showing it, and data sharing (a chart may
// show the display list of another chart, which keeps up to four such users; the list holds the
// group, the chart shows the notices and repaints the group).
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

void TCustomRChart::ClearItems()
{
    RenderChartBackground(TChartKey(), m_dataImage.Canvas(), 0, 0);
    m_list.Clear();
}

void TCustomRChart::ShowItems()
{
    if (!isHidden()) {
        m_list.Propagate();
        if (m_autoRedraw)
            RefreshDataArea();
        else
            Paint();
    }
    RepaintShareGroup();
}

void TCustomRChart::SetUseDataOf(TCustomRChart* value)
{
    switch (m_list.ShareWith(value ? &value->m_list : nullptr)) {
    case TDisplayList::srSelf: Inform(kMsgShareSelf); break;
    case TDisplayList::srForeign: Inform(kMsgShareForeign); break;
    case TDisplayList::srFull: Inform(kMsgShareMax); break;
    case TDisplayList::srUnchanged: break;
    case TDisplayList::srChanged: PartChanged(); break;
    }
}

void TCustomRChart::RepaintShareGroup()
{
    auto paintIf = [](TDisplayList& list) {
        TCustomRChart& c = list.Host();
        if (c.m_autoRedraw) c.Paint();
    };
    if (TDisplayList* owner = m_list.Owner()) {
        paintIf(*owner);
        for (int i = 0; i < owner->UserCount(); ++i) paintIf(*owner->User(i));
    }
    for (int i = 0; i < m_list.UserCount(); ++i) paintIf(*m_list.User(i));
}
