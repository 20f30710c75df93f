#include <gtest/gtest.h>

#include "chart/chart.h"

TEST(ChartConstruction, FreshChartIs280x200WithDefaultMargins)
{
    TRChart chart;
    EXPECT_EQ(chart.width(), 280);
    EXPECT_EQ(chart.height(), 200);
    EXPECT_EQ(chart.MarginLeft(), 50);
    EXPECT_EQ(chart.MarginRight(), 20);
    EXPECT_EQ(chart.MarginTop(), 20);
    EXPECT_EQ(chart.MarginBottom(), 40);
}
