#pragma once
// A chart of 400 x 300 pixels with margins 50, 20, 20, 40 and no shadow (chart area x 50..380,
// y 20..260), layer 1 linear from 0 to 10 on both axes.
#include <gtest/gtest.h>

#include "chart/chart.h"

class ChartFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        chart.SetBounds(0, 0, 400, 300);
        chart.Scale1X().SetRangeHigh(10);
        chart.Scale1Y().SetRangeHigh(10);
    }
    // Shows the chart so that it paints (the first showing clears the paint lock).
    void Show()
    {
        chart.show();
        chart.OnScalesRendered = [this](TCustomRChart&, TCanvas&, int, int) { ++paints; };
    }
    std::pair<int, int> Pixel(int layer, double x, double y)
    {
        int px = 0, py = 0;
        chart.WorldToMouse(layer, x, y, px, py);
        return {px, py};
    }

    TRChart chart;
    int paints = 0;
};
