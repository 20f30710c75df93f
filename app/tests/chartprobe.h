#pragma once
// Reads the chart's display list for the window tests.
#include <vector>

#include "chart/rchart.h"

struct TProbeItem {
    int Kind;      // 1 mark, 3 line-to, 8 move-to
    double X, Y;
};

inline std::vector<TProbeItem> Items(TRChart& chart)
{
    std::vector<TProbeItem> out;
    for (const auto& it : chart.items) out.push_back({it.kind, it.x, it.y});
    return out;
}
