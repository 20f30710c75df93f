#pragma once
// Reads the chart's display list for the window tests.
#include <vector>

#include "chart/chart.h"

struct TProbeItem {
    TItemKind Kind;
    double X, Y;
};

inline std::vector<TProbeItem> Items(TRChart& chart)
{
    std::vector<TProbeItem> out;
    for (int i = 0; i < chart.ItemCount(); ++i) {
        const TDisplayItem& it = chart.Item(i);
        out.push_back({TItemKind(it.Kind), it.X1, it.Y1});
    }
    return out;
}
