#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <new>
#include <vector>

#include "chart/chart.h"
#include "chart/tests/chartprobe.h"

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
    EXPECT_EQ(TChartProbe::DataImage(chart).Width(), chart.AreaWidth() + 1);
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

// ---- marks appended in bulk

namespace {

// One step of building a list: marks in bulk (or one by one), or a change between them.
struct TBuildStep {
    enum { Marks, Line, Colour, Class, Layer } What;
    std::uint8_t Kind = 26;
    int Count = 0;
    std::uint32_t Seed = 0;
};

// Builds the same list by AddMarks or by AddMark alone; the marks fall on a few pixels of a
// 200 x 150 area, many on the same pixel, some outside.
void Build(TCustomRChart& chart, const std::vector<TBuildStep>& steps, bool bulk)
{
    for (const TBuildStep& s : steps) {
        switch (s.What) {
        case TBuildStep::Marks: {
            std::vector<double> xs, ys;
            std::uint32_t r = s.Seed;
            for (int i = 0; i < s.Count; ++i) {
                r = r * 1664525u + 1013904223u;
                xs.push_back(double(r % 2300) / 10.0 - 10.0);
                ys.push_back(double((r >> 12) % 1700) / 10.0 - 10.0);
            }
            if (bulk)
                chart.AddMarks(s.Kind, xs, ys);
            else
                for (int i = 0; i < s.Count; ++i) chart.AddMark(s.Kind, xs[std::size_t(i)], ys[std::size_t(i)]);
            break;
        }
        case TBuildStep::Line: AddLine(chart, 0, 0, 200, 150); break;
        case TBuildStep::Colour: chart.SetDataColor(chart.DataColor() == clRed ? clNavy : clRed); break;
        case TBuildStep::Class: chart.SetClassDefault(std::uint8_t(chart.ClassDefault() + 1)); break;
        case TBuildStep::Layer: chart.SetLayerRange(2, 0, 0, 100, 300); break;
        }
    }
}

QImage RenderList(TCustomRChart& chart, TPenMode mode)
{
    QImage image(chart.AreaWidth() + 1, chart.AreaHeight() + 1, QImage::Format_RGB32);
    image.fill(0xFF336699u);
    TCanvas canvas(&image);
    canvas.Pen().SetMode(mode);
    TChartRenderer(TChartProbe::RenderFrame(chart, 0, 0, false), canvas).Run(false);
    return image;
}

void Prepare(TRChart& chart)
{
    chart.SetBounds(0, 0, 50 + 200 + 20, 20 + 150 + 40);
    chart.SetLayerRange(1, 0, 0, 200, 150);
    chart.SetDataColor(clRed);
    chart.SetAllocSize(700);
}

}  // namespace

// A list built with AddMarks draws every pixel as the same list built mark by mark, in copy and
// in exclusive-or mode, with runs broken by colours, kinds, classes, layers and other items.
TEST(DisplayList, MarksInBulkDrawTheSamePixelsAsMarksOneByOne)
{
    const std::vector<TBuildStep> steps = {
        {TBuildStep::Marks, 26, 5000, 1},  {TBuildStep::Marks, 26, 70000, 2}, {TBuildStep::Colour},
        {TBuildStep::Marks, 26, 300, 3},   {TBuildStep::Marks, 3, 200, 4},    {TBuildStep::Line},
        {TBuildStep::Marks, 3, 100, 5},    {TBuildStep::Class},               {TBuildStep::Marks, 3, 100, 6},
        {TBuildStep::Layer},               {TBuildStep::Marks, 1, 1, 7},      {TBuildStep::Marks, 0, 0, 8},
    };
    for (TPenMode mode : {pmCopy, pmXor}) {
        SCOPED_TRACE(mode == pmCopy ? "copy" : "exclusive-or");
        TRChart bulk, single;
        Prepare(bulk);
        Prepare(single);
        Build(bulk, steps, true);
        Build(single, steps, false);
        ASSERT_EQ(bulk.ItemCount(), single.ItemCount());
        EXPECT_EQ(bulk.ItemCapacity(), single.ItemCapacity());
        for (int i = 0; i < bulk.ItemCount(); i += 97) {
            const TDisplayItem a = bulk.Item(i), b = single.Item(i);
            ASSERT_EQ(std::memcmp(&a, &b, sizeof a), 0) << "item " << i;
        }
        const QImage a = RenderList(bulk, mode), b = RenderList(single, mode);
        EXPECT_EQ(a, b);
        EXPECT_NE(a, QImage(a.size(), a.format())) << "something was drawn";
    }
}

// Dropping the marks of a run one by one, sharing a list that holds runs, and a mark that
// follows a run of its look, all behave as with marks one by one; 16 bytes a mark.
TEST(DisplayList, RunsOfMarksKeepEveryListOperation)
{
    TRChart owner, user;
    Prepare(owner);
    user.SetUseDataOf(&owner);
    const std::vector<double> xs = {1, 2, 3, 4}, ys = {5, 6, 7, 8};
    owner.AddMarks(26, xs, ys);
    owner.AddMark(26, 9, 10);   // joins the run
    EXPECT_EQ(user.ItemCount(), 5);
    EXPECT_EQ(user.Items(), owner.Items());
    EXPECT_EQ(user.Item(4).X1, 9);
    owner.AddMoveTo(0, 0);
    EXPECT_EQ(owner.KindOfLastItem(), ikMoveTo);
    owner.DropLastItem();
    owner.DropLastItem();
    EXPECT_EQ(user.ItemCount(), 4);
    EXPECT_EQ(owner.KindOfLastItem(), ikMark);
    EXPECT_EQ(owner.Item(3).Y1, 8);
    user.SetUseDataOf(nullptr);   // a list of its own, runs copied
    owner.ClearItems();
    EXPECT_EQ(user.ItemCount(), 4);
    EXPECT_EQ(user.Item(2).X1, 3);
    EXPECT_THROW(owner.AddMarks(1, xs, std::vector<double>{1}), std::invalid_argument);
    EXPECT_EQ(owner.ItemCount(), 0);

    TRChart big;
    const std::vector<double> many(1 << 20, 1.0);
    big.AddMarks(26, many, many);
    EXPECT_LE(double(big.ItemStorageBytes()) / double(many.size()), 16.1);
}
