#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <vector>

#include "chart/chart.h"
#include "chart/render.h"

TEST(DisplayList, KindOfLastItemFollowsTheAppends)
{
    TRChart chart;
    EXPECT_EQ(chart.KindOfLastItem(), 0);
    chart.AddMark(26, 1.0, 2.0);
    EXPECT_EQ(chart.KindOfLastItem(), 1);
    chart.AddMoveTo(0, 0);
    EXPECT_EQ(chart.KindOfLastItem(), 8);
    chart.AddLineTo(1, 1);
    EXPECT_EQ(chart.KindOfLastItem(), 3);
    const TDisplayItem& mark = chart.Item(0);
    EXPECT_EQ(mark.MarkKind, 26);
    EXPECT_EQ(mark.X1, 1.0);
    EXPECT_EQ(mark.Y1, 2.0);
    EXPECT_EQ(mark.Layer, 1);
}

TEST(DisplayList, StripLoopKeepsTheMarks)
{
    TRChart chart;
    auto strip = [&] {
        while (chart.KindOfLastItem() != 0 && chart.KindOfLastItem() != 1) chart.DropLastItem();
    };
    chart.AddMark(26, 0, 0);
    chart.AddMark(26, 1, 1);
    chart.AddMoveTo(0, 0);
    chart.AddLineTo(1, 1);
    chart.AddLineTo(2, 2);
    strip();
    EXPECT_EQ(chart.ItemCount(), 2);
    EXPECT_EQ(chart.ItemCapacity(), 1000);

    TRChart curve;
    curve.AddMoveTo(0, 0);
    curve.AddLineTo(1, 1);
    while (curve.KindOfLastItem() != 0 && curve.KindOfLastItem() != 1) curve.DropLastItem();
    EXPECT_EQ(curve.ItemCount(), 0);
    EXPECT_EQ(curve.ItemCapacity(), 0);  // released with the last item
    curve.DropLastItem();  // an empty list stays empty
    EXPECT_EQ(curve.ItemCount(), 0);
}

TEST(DisplayList, GrowsByAllocSizeAndKeepsItems)
{
    TRChart chart;
    for (int i = 0; i < 1000; ++i) chart.AddMark(1, i, -i);
    EXPECT_EQ(chart.ItemCapacity(), 1000);
    chart.AddMark(1, 1000, -1000);
    EXPECT_EQ(chart.ItemCapacity(), 2000);
    for (int i = 0; i <= 1000; ++i) {
        ASSERT_EQ(chart.Item(i).X1, i);
        ASSERT_EQ(chart.Item(i).Y1, -i);
    }
    chart.SetAllocSize(1);
    for (int i = 0; i < 1500; ++i) chart.AddLineTo(0, 0);
    EXPECT_EQ(chart.ItemCount(), 2501);
    EXPECT_EQ(chart.ItemCapacity(), 2501);  // one slot per growth step
}

TEST(DisplayList, AttributesAreCopiedAtAppendTime)
{
    TRChart chart;
    chart.SetDataColor(clGreen);
    chart.SetFillColor(clRed);
    chart.SetPenStyle(psDot);
    chart.SetLineWidth(3);
    chart.SetClassDefault(7);
    chart.AddLineTo(1, 2);
    chart.AddMark(5, 0, 0);
    chart.SetDataColor(clBlue);
    chart.AddMoveTo(3, 4);
    const TDisplayItem& line = chart.Item(0);
    EXPECT_EQ(line.Color, clGreen);
    EXPECT_EQ(line.FillColor, clRed);
    EXPECT_EQ(line.PenStyle, psDot);
    EXPECT_EQ(line.LineWidth, 3);
    EXPECT_EQ(line.ItemClass, 7);
    EXPECT_EQ(chart.Item(1).Color, clGreen);
    EXPECT_EQ(chart.Item(1).FillColor, 0u);  // only line-to items take the fill colour
    EXPECT_EQ(chart.Item(2).Color, clBlue);
}

TEST(DisplayList, FailedGrowthLeavesTheListAsItWas)
{
    TRChart chart;
    chart.SetAllocSize(10);
    for (int i = 0; i < 10; ++i) chart.AddMark(1, i, i);
    TItemStore::SetMemoryLimit(15 * sizeof(TDisplayItem));
    EXPECT_THROW(chart.AddMark(1, 99, 99), std::bad_alloc);
    TItemStore::SetMemoryLimit(0);
    EXPECT_EQ(chart.ItemCount(), 10);
    EXPECT_EQ(chart.ItemCapacity(), 10);
    EXPECT_EQ(chart.Item(9).X1, 9);
    chart.AddMark(1, 10, 10);
    EXPECT_EQ(chart.ItemCount(), 11);
    EXPECT_EQ(chart.ItemCapacity(), 20);
}

TEST(DisplayList, ClearItemsReleasesTheStorage)
{
    TRChart chart;
    chart.AddMark(1, 0, 0);
    chart.ClearItems();
    EXPECT_EQ(chart.ItemCount(), 0);
    EXPECT_EQ(chart.ItemCapacity(), 0);
    EXPECT_EQ(chart.DataImage().Width(), chart.AreaWidth() + 1);
}

// Every kind of append reaches the other charts of a sharing group at once: an append that
// stayed with its own chart was lost when another member started a fresh list.
TEST(DisplayList, AppendsOfEveryKindReachTheSharingGroup)
{
    const std::vector<std::function<void(TCustomRChart&)>> appends = {
        [](TCustomRChart& c) { c.AddMark(1, 1, 1); },
        [](TCustomRChart& c) { AddLine(c, 0, 0, 1, 1); },
        [](TCustomRChart& c) { AddRect(c, 0, 0, 1, 1); },
        [](TCustomRChart& c) { AddText(c, 1, 1, "a", 8, taCenter); },
        [](TCustomRChart& c) { AddEllipse(c, 1, 1, 1, 1); },
        [](TCustomRChart& c) { AddMoveRel(c, 1, 1); },
        [](TCustomRChart& c) { AddArrow(c, 0, 0, 1, 1, 5); },
    };
    for (std::size_t k = 0; k < appends.size(); ++k) {
        TRChart owner, user;
        user.SetUseDataOf(&owner);
        appends[k](user);
        EXPECT_EQ(owner.ItemCount(), 1) << "append " << k;
        owner.AddMark(2, 5, 5);
        EXPECT_EQ(user.ItemCount(), 2) << "append " << k;
        EXPECT_EQ(user.Items(), owner.Items()) << "append " << k;
    }
}
