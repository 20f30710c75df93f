// The scale control: setter rules, transform, painting in the four orientations (on pixels),
// the tick list, events and their order, embedded and stand-alone painting.
#include <gtest/gtest.h>

#include "platform/colors.h"
#include "platform/localefmt.h"
#include "scale/scale.h"
#include "testsupport/testsupport.h"

#include <QImage>
#include <QPalette>
#include <QPixmap>

#include <algorithm>
#include <chrono>
#include <climits>
#include <ostream>
#include <string>
#include <vector>

using testsupport::PixelRgb;

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kRed = 0xFF0000;   // 0xRRGGBB as PixelRgb reports it
constexpr std::uint32_t kBlue = 0x0000FF;

std::uint32_t Rgb(TColor c)
{
    const TColor rgb = ColorToRGB(c);
    return (std::uint32_t(RedOf(rgb)) << 16) | (std::uint32_t(GreenOf(rgb)) << 8) | BlueOf(rgb);
}

// A scale drawn into a white image through an external canvas, the way the chart draws its
// axes. Ticks are red and label text blue, so the two can be told apart on the pixels.
struct Rendered {
    QImage image;
    std::unique_ptr<TCanvas> canvas;
    explicit Rendered(int w, int h) : image(w, h, QImage::Format_RGB32)
    {
        image.fill(0xFFFFFFFFu);
        canvas = std::make_unique<TCanvas>(&image);
    }
};

void Render(TScale& scale, Rendered& target, int ox = 0, int oy = 0)
{
    scale.SetExternalCanvas(target.canvas.get(), ox, oy);
    scale.RenderNow();
}

void Colourful(TScale& scale)
{
    scale.SetColorScale(clRed);
    scale.Font().SetColor(clBlue);
    scale.Font().SetName("Arial");
    scale.Font().SetHeight(12);
}

// Bounding box of the pixels of one colour inside a rectangle (x2, y2 exclusive).
struct Box {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    bool Empty() const { return left > right; }
};
Box FindColour(const QImage& image, std::uint32_t rgb, int x1, int y1, int x2, int y2)
{
    Box b;
    for (int y = std::max(y1, 0); y < std::min(y2, image.height()); ++y)
        for (int x = std::max(x1, 0); x < std::min(x2, image.width()); ++x)
            if (PixelRgb(image, x, y) == rgb) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}

TEST(ScaleControl, StartsWithTheDefaults)
{
    TScale s;
    EXPECT_EQ(s.width(), 400);
    EXPECT_EQ(s.height(), 400);
    EXPECT_EQ(s.ScaleType(), sctXB);
    EXPECT_EQ(s.RangeLow(), 0.0);
    EXPECT_EQ(s.RangeHigh(), 100.0);
    EXPECT_EQ(s.MinTicks(), 3);
    EXPECT_TRUE(s.ShortTicks());
    EXPECT_EQ(s.DecPlaces(), -2);
    EXPECT_EQ(s.LabelType(), ftNum);
    EXPECT_EQ(s.FrameStyle(), fsLowered);
    EXPECT_EQ(s.ColorBackGnd(), clBtnFace);
    EXPECT_EQ(s.CaptionPosX(), 4);
    EXPECT_EQ(s.CaptionAnchor(), uaSclTopLft);
    EXPECT_EQ(s.CaptionAlignment(), taCenter);
    EXPECT_EQ(s.MarginLeft(), 20);
    EXPECT_TRUE(s.PaintSuspended());
    EXPECT_TRUE(s.Constructing());
    EXPECT_EQ(s.DateFormat().DateForTime(), dtOnePerDay);
    EXPECT_NEAR(s.PixelsPerUnit(), 3.59, 1e-12);
    EXPECT_EQ(s.ValueToPixel(0), 20);
    EXPECT_EQ(s.ValueToPixel(100), 379);
}

TEST(ScaleControl, SettersKeepTheirRules)
{
    TScale s;
    s.SetRangeLow(5);
    s.SetRangeHigh(5);
    EXPECT_EQ(s.RangeLow(), 6.0);  // reversed now
    s.SetRangeLow(5);
    EXPECT_EQ(s.RangeHigh(), 6.0);
    s.SetRangeHigh(std::nan(""));
    EXPECT_EQ(s.RangeHigh(), 6.0);

    s.SetMinTicks(1);
    EXPECT_EQ(s.MinTicks(), 2);
    s.SetMinTicks(15);
    EXPECT_EQ(s.MinTicks(), 10);
    s.SetMinTicks(0);
    EXPECT_EQ(s.MinTicks(), 0);
    s.SetDecPlaces(20);
    EXPECT_EQ(s.DecPlaces(), 12);
    s.SetDecPlaces(-9);
    EXPECT_EQ(s.DecPlaces(), -3);
    s.SetMarginLeft(-4);
    EXPECT_EQ(s.MarginLeft(), 0);

    s.SetLabelType(ftTime);
    EXPECT_EQ(s.DecPlaces(), 4);
    s.SetLogarithmic(true);
    EXPECT_TRUE(s.Logarithmic());
    s.SetLabelType(ftDateTime);
    EXPECT_FALSE(s.Logarithmic());
}

TEST(ScaleControl, LogarithmicIsRefusedAfterLoadingForEndsAtZero)
{
    TScale s;
    s.Loaded();
    EXPECT_FALSE(s.Constructing());
    s.SetLogarithmic(true);  // RangeLow is 0
    EXPECT_FALSE(s.Logarithmic());
    s.SetRangeLow(1);
    s.SetLabelType(ftDateTime);
    s.SetLogarithmic(true);
    EXPECT_FALSE(s.Logarithmic());
    s.SetLabelType(ftNum);
    s.SetLogarithmic(true);
    EXPECT_TRUE(s.Logarithmic());
    EXPECT_EQ(s.ValueToPixel(1e-200), 0);  // no logarithm: the scale's start
}

TEST(ScaleControl, ShortScaleMapsEverythingToTheMiddle)
{
    TScale s;
    s.resize(30, 30);
    s.UpdateTransform();
    EXPECT_EQ(s.PixelsPerUnit(), 0.0);
    EXPECT_EQ(s.ValueToPixel(0), 15);
    EXPECT_EQ(s.ValueToPixel(100), 15);
}

// A widget that is not shown gets no resize events; the transform must follow the size anyway.
TEST(ScaleControl, TransformFollowsEveryResizeShownHiddenOrEmbedded)
{
    enum State { kHidden, kShown, kEmbedded };
    for (State state : {kHidden, kShown, kEmbedded}) {
        SCOPED_TRACE(int(state));
        QWidget owner;
        TScale s(&owner);
        if (state == kShown) owner.show();
        if (state == kEmbedded) {
            owner.show();
            s.SetEmbedded(true);
        }
        s.resize(141, 50);  // horizontal: 0 on x = 20, 100 on x = 141 - 20 - 1
        EXPECT_EQ(s.ValueToPixel(100), 120);
        EXPECT_DOUBLE_EQ(s.PixelsPerUnit(), 1.0);
        EXPECT_DOUBLE_EQ(s.PixelOffset(), 20.0);
        s.SetScaleType(sctYL);
        s.resize(60, 221);  // vertical: 100 on y = 20, 0 on y = 221 - 20 - 1
        EXPECT_EQ(s.ValueToPixel(0), 200);
        EXPECT_EQ(s.ValueToPixel(100), 20);
        EXPECT_DOUBLE_EQ(s.PixelsPerUnit(), -1.8);
    }
}

TEST(ScaleControl, AssignCopiesSettingsButNotSizeOrRenderingEvents)
{
    TScale a;
    a.SetScaleType(sctYR);
    a.SetRangeLow(-5);
    a.SetRangeHigh(5);
    a.SetCaption("Volt");
    a.DateFormat().SetMonthName(false);
    a.SetFrameStyle(fsRaised);
    int rendered = 0;
    a.OnAfterScaleRendered = [&](TScale&, TCanvas&) { ++rendered; };
    TScale b;
    b.resize(200, 100);
    b.Assign(a);
    EXPECT_EQ(b.ScaleType(), sctYR);
    EXPECT_EQ(b.RangeLow(), -5.0);
    EXPECT_EQ(b.Caption(), "Volt");
    EXPECT_FALSE(b.DateFormat().MonthName());
    EXPECT_EQ(b.FrameStyle(), fsRaised);
    EXPECT_EQ(b.width(), 200);
    EXPECT_FALSE(b.OnAfterScaleRendered);
}

TEST(ScalePainting, DefaultScaleHasItsTicksBaselineAndLoweredFrame)
{
    TScale s;
    Rendered r(400, 400);
    Render(s, r);
    const int by = 379;
    for (int x = 21; x < 379; ++x) EXPECT_EQ(PixelRgb(r.image, x, by), kBlack) << x;
    for (int x : {20, 92, 164, 235, 307, 379}) {
        EXPECT_EQ(PixelRgb(r.image, x, by - 6), kBlack) << x;
        EXPECT_NE(PixelRgb(r.image, x, by - 7), kBlack) << x;
    }
    const int x5 = s.ValueToPixel(5);
    EXPECT_EQ(PixelRgb(r.image, x5, by - 3), kBlack);
    EXPECT_NE(PixelRgb(r.image, x5, by - 4), kBlack);
    // labels above the ticks, on the button face background, inside a lowered frame
    EXPECT_FALSE(FindColour(r.image, Rgb(clWindowText), 80, by - 40, 105, by - 7).Empty());
    EXPECT_EQ(PixelRgb(r.image, 200, 200), Rgb(clBtnFace));
    EXPECT_EQ(PixelRgb(r.image, 0, 0), 0x808080u);
    EXPECT_EQ(PixelRgb(r.image, 1, 1), kBlack);
    EXPECT_EQ(PixelRgb(r.image, 399, 399), kWhite);
    EXPECT_EQ(PixelRgb(r.image, 398, 398), 0xC0C0C0u);
    EXPECT_EQ(s.NumTicks(), 21);
    EXPECT_EQ(s.TickPosition(1), 0.0);
    EXPECT_EQ(s.TickPosition(21), 100.0);
    EXPECT_EQ(s.TickPosition(22), 0.0);
}

TEST(ScalePainting, FrameStylesAndOffset)
{
    TScale s;
    s.resize(100, 60);
    s.SetFrameStyle(fsSimple);
    Rendered r(140, 80);
    Render(s, r, 20, 10);
    EXPECT_EQ(PixelRgb(r.image, 20, 10), kBlack);
    EXPECT_EQ(PixelRgb(r.image, 119, 69), kBlack);
    EXPECT_EQ(PixelRgb(r.image, 21, 11), Rgb(clBtnFace));
    EXPECT_EQ(PixelRgb(r.image, 19, 9), kWhite);
    s.SetFrameStyle(fsNone);
    Render(s, r, 20, 10);
    EXPECT_EQ(PixelRgb(r.image, 20, 10), Rgb(clBtnFace));
    s.SetFrameStyle(fsRaised);
    Render(s, r, 20, 10);
    EXPECT_EQ(PixelRgb(r.image, 20, 10), kWhite);
    EXPECT_EQ(PixelRgb(r.image, 119, 69), kBlack);
}

// Every orientation: baseline, tick lengths, labels on the far side of the baseline and inside
// the control, tick list.
struct OrientationCase {
    const char* name;
    TScaleType type;
};
void PrintTo(const OrientationCase& c, std::ostream* os) { *os << c.name; }
const OrientationCase kOrientations[] = {{"Bottom", sctXB}, {"Top", sctXT}, {"Left", sctYL}, {"Right", sctYR}};

class Orientation : public ::testing::TestWithParam<OrientationCase> {};
TEST_P(Orientation, DrawsTicksLabelsAndBaselineOnTheirSides)
{
    const TScaleType type = GetParam().type;
    const bool vertical = type == sctYL || type == sctYR;
    TScale s;
    s.resize(vertical ? 120 : 360, vertical ? 360 : 120);
    s.SetScaleType(type);
    s.SetTransparent(true);
    s.SetEmbedded(true);
    s.SetRangeLow(0);
    s.SetRangeHigh(10);
    s.SetMinTicks(6);
    s.SetShortTicks(false);
    Colourful(s);
    Rendered r(s.width(), s.height());
    Render(s, r);
    EXPECT_EQ(s.NumTicks(), 11);

    const int base = type == sctXB ? s.height() - 21 : type == sctXT ? 20 : type == sctYL ? 20 : s.width() - 21;
    const int dir = (type == sctXB || type == sctYR) ? -1 : 1;  // from the baseline towards the labels
    const int longTick = vertical ? 6 : 7;
    auto at = [&](int along, int across) { return vertical ? PixelRgb(r.image, across, along) : PixelRgb(r.image, along, across); };
    // baseline from the start margin to one before the far end
    const int length = (vertical ? s.height() : s.width()) - 41;
    for (int p = 20; p < 20 + length; ++p) ASSERT_EQ(at(p, base), kRed) << p;
    for (int i = 0; i <= 10; ++i) {
        const int p = s.ValueToPixel(i);
        for (int k = 0; k < longTick; ++k) EXPECT_EQ(at(p, base + dir * k), kRed) << "tick " << i << " pixel " << k;
        EXPECT_EQ(at(p, base + dir * longTick), kWhite) << "tick " << i;
        EXPECT_EQ(at(p, base - dir), kWhite) << "tick " << i;
    }
    // labels lie on the tick side of the baseline, beyond the ticks, inside the control
    const Box labels = FindColour(r.image, kBlue, 0, 0, r.image.width(), r.image.height());
    ASSERT_FALSE(labels.Empty());
    switch (type) {
    case sctXB: EXPECT_LE(labels.bottom, base - 8); break;
    case sctXT: EXPECT_GE(labels.top, base + 7); break;
    case sctYL: EXPECT_GE(labels.left, base + 8); break;
    case sctYR: EXPECT_LE(labels.right, base - 9); break;
    }
    if (!vertical) {
        EXPECT_GE(labels.left, 2);
        EXPECT_LE(labels.right, s.width() - 2);
    }
}
INSTANTIATE_TEST_SUITE_P(Scale, Orientation, ::testing::ValuesIn(kOrientations),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ScalePainting, EdgeLabelsStayTwoPixelsInside)
{
    TScale s;
    s.resize(300, 80);
    s.SetTransparent(true);
    s.SetEmbedded(true);
    s.SetMarginLeft(0);
    s.SetMarginRight(0);
    s.SetRangeLow(1000);
    s.SetRangeHigh(5000);
    s.SetShortTicks(false);
    Colourful(s);
    std::vector<int> widths;
    s.OnBeforeTickLabel = [&](TScale&, TScaleType, double, std::string& text) { widths.push_back(int(text.size())); };
    Rendered r(300, 80);
    Render(s, r);
    const Box first = FindColour(r.image, kBlue, 0, 0, 40, 80);
    const Box last = FindColour(r.image, kBlue, 260, 0, 300, 80);
    ASSERT_FALSE(first.Empty());
    ASSERT_FALSE(last.Empty());
    EXPECT_GE(first.left, 2);
    EXPECT_LE(first.left, 4);  // the text box starts at x = 2; the glyph's bearing is small
    EXPECT_LE(last.right, 298);
    EXPECT_GE(last.right, 295);
}

TEST(ScalePainting, TickListRecordsExactlyTheTicksDrawn)
{
    TScale s;
    s.SetRangeLow(0);
    s.SetRangeHigh(10);
    s.SetMinTicks(6);
    std::vector<double> drawn;
    s.OnScaleTickDrawn = [&](TScale&, TCanvas&, TScaleType, double v, int, int) { drawn.push_back(v); };
    Rendered r(400, 400);
    Render(s, r);
    EXPECT_EQ(s.NumTicks(), 51);
    EXPECT_EQ(drawn.size(), 51u + 11u);  // short ticks, then the long ticks drawn over them
    for (int i = 1; i <= 51; ++i) EXPECT_NEAR(s.TickPosition(i), (i - 1) * 0.2, 1e-12);
    s.SetShortTicks(false);
    drawn.clear();
    Render(s, r);
    EXPECT_EQ(s.NumTicks(), 11);
    EXPECT_EQ(drawn.size(), 11u);
}

TEST(ScalePainting, TickListKeepsTheFirst250)
{
    TScale s;
    s.SetRangeLow(0);
    s.SetRangeHigh(100);
    s.SetMinTicks(0);  // unit steps, 101 long ticks with a short tick each: 101 recorded
    s.SetRangeHigh(300);
    int drawn = 0;
    s.OnScaleTickDrawn = [&](TScale&, TCanvas&, TScaleType, double, int, int) { ++drawn; };
    Rendered r(400, 400);
    Render(s, r);
    EXPECT_EQ(drawn, 602);
    EXPECT_EQ(s.NumTicks(), 250);
    EXPECT_EQ(s.TickPosition(250), 249.0);
    EXPECT_EQ(s.TickPosition(251), 0.0);
}

// The order of tick and label events for each algorithm and orientation.
struct OrderCase {
    const char* name;
    TScaleType type;
    TFigType labelType;
    bool logarithmic;
    double low, high;
    const char* order;  // the events of the first long tick: T tick drawn, L label
};
void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.name; }
const OrderCase kOrderCases[] = {
    {"LinearVertical", sctYL, ftNum, false, 0, 10, "TL"},
    {"LinearHorizontal", sctXB, ftNum, false, 0, 10, "LT"},
    {"LogVertical", sctYR, ftNum, true, 1, 1000, "TL"},
    {"LogHorizontal", sctXT, ftNum, true, 1, 1000, "TL"},
    {"TimeVertical", sctYL, ftTime, false, 0, 3600, "LT"},
    {"TimeHorizontal", sctXB, ftTime, false, 0, 3600, "LT"},
    {"DateTimeVertical", sctYL, ftDateTime, false, 38000, 38010, "LT"},
    {"DateTimeHours", sctXB, ftDateTime, false, 38000, 38001, "LLT"},
};
class EventOrder : public ::testing::TestWithParam<OrderCase> {};
TEST_P(EventOrder, FollowsTheAlgorithm)
{
    const OrderCase& c = GetParam();
    TScale s;
    s.SetScaleType(c.type);
    s.SetLabelType(c.labelType);
    s.SetRangeLow(c.low);
    s.SetRangeHigh(c.high);
    s.SetLogarithmic(c.logarithmic);
    s.SetShortTicks(false);
    std::string events;
    TCanvas* afterCanvas = nullptr;
    s.OnBeforeScaleRendered = [&](TScale&, TCanvas&) { events += 'B'; };
    s.OnAfterScaleRendered = [&](TScale&, TCanvas& canvas) {
        events += 'A';
        afterCanvas = &canvas;
    };
    s.OnScaleTickDrawn = [&](TScale&, TCanvas&, TScaleType type, double, int, int) {
        EXPECT_EQ(type, c.type);
        events += 'T';
    };
    s.OnBeforeTickLabel = [&](TScale&, TScaleType, double, std::string&) { events += 'L'; };
    Rendered r(400, 400);
    Render(s, r);
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events.front(), 'B');
    EXPECT_EQ(events.back(), 'A');
    EXPECT_EQ(events.substr(1, std::string(c.order).size()), c.order) << events;
    EXPECT_NE(afterCanvas, r.canvas.get());  // opaque: the scale's own image

    s.SetTransparent(true);
    s.SetEmbedded(true);
    Render(s, r);
    EXPECT_EQ(afterCanvas, r.canvas.get());
}
INSTANTIATE_TEST_SUITE_P(Scale, EventOrder, ::testing::ValuesIn(kOrderCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ScalePainting, TickEventsGiveThePointOnTheBaseline)
{
    TScale s;
    s.SetScaleType(sctYR);
    s.SetShortTicks(false);
    std::vector<std::pair<int, int>> points;
    s.OnScaleTickDrawn = [&](TScale&, TCanvas&, TScaleType, double, int x, int y) { points.emplace_back(x, y); };
    Rendered r(400, 400);
    Render(s, r);
    ASSERT_EQ(points.size(), 6u);
    EXPECT_EQ(points.front(), std::make_pair(379, 379));
    EXPECT_EQ(points.back(), std::make_pair(379, 20));
}

TEST(ScalePainting, LabelHookReplacesOrSuppressesText)
{
    TScale s;
    s.SetTransparent(true);
    s.SetEmbedded(true);
    s.SetRangeLow(-1);
    s.SetRangeHigh(1);
    Colourful(s);
    std::vector<double> values;
    s.OnBeforeTickLabel = [&](TScale&, TScaleType, double v, std::string& text) {
        values.push_back(v);
        text.clear();
    };
    Rendered r(400, 400);
    Render(s, r);
    EXPECT_TRUE(FindColour(r.image, kBlue, 0, 0, 400, 400).Empty());
    EXPECT_NE(std::find(values.begin(), values.end(), 0.0), values.end());
    s.OnBeforeTickLabel = [&](TScale&, TScaleType, double, std::string& text) { text = "W"; };
    Render(s, r);
    EXPECT_FALSE(FindColour(r.image, kBlue, 0, 0, 400, 400).Empty());
}

TEST(ScalePainting, CaptionSitsAtItsAnchor)
{
    TScale s;
    s.resize(300, 100);
    s.SetScaleType(sctXT);
    s.SetTransparent(true);
    s.SetEmbedded(true);
    s.SetLabelType(ftNoFigs);
    Colourful(s);
    s.SetCaption("Zeit");
    s.SetCaptionAnchor(uaSclCenter);
    s.SetCaptionPosX(0);
    s.SetCaptionPosY(22);
    Rendered r(300, 100);
    TCanvas probe(&r.image);
    probe.Font().Assign(s.Font());
    const int w = probe.TextWidth("Zeit");
    Render(s, r);
    // horizontal: centred on the scale's middle, its box top 22 pixels below the baseline
    const int by = 20, middle = 20 + (300 - 40) / 2;
    Box box = FindColour(r.image, kBlue, 0, 0, 300, 100);
    ASSERT_FALSE(box.Empty());
    EXPECT_GE(box.left, middle - w / 2);
    EXPECT_LE(box.right, middle - w / 2 + w);
    EXPECT_GE(box.top, by + 22);
    EXPECT_LE(box.top, by + 22 + 6);

    TScale v;
    v.resize(100, 300);
    v.SetScaleType(sctYL);
    v.SetTransparent(true);
    v.SetEmbedded(true);
    v.SetLabelType(ftNoFigs);
    Colourful(v);
    v.SetCaption("Zeit");
    v.SetCaptionAnchor(uaSclBotRgt);
    v.SetCaptionAlignment(taRightJustify);
    Rendered rv(100, 300);
    Render(v, rv);
    box = FindColour(rv.image, kBlue, 0, 0, 100, 300);
    ASSERT_FALSE(box.Empty());
    EXPECT_LE(box.right, 20 + 4);  // ends at bx + 4
    EXPECT_GE(box.left, 20 + 4 - w);
    EXPECT_GE(box.top, 300 - 20 + 4);
}

TEST(ScalePainting, DateTimeMessagesInsteadOfTicks)
{
    TScale s;
    s.resize(400, 100);
    s.SetTransparent(true);
    s.SetEmbedded(true);
    s.SetLabelType(ftDateTime);
    s.SetRangeLow(38010);
    s.SetRangeHigh(38000);
    Colourful(s);
    Rendered r(400, 100);
    Render(s, r);
    EXPECT_EQ(s.NumTicks(), 0);
    const Box text = FindColour(r.image, kBlue, 0, 0, 400, 100);
    ASSERT_FALSE(text.Empty());
    EXPECT_GE(text.top, 79 + 7);  // below the baseline
    EXPECT_NEAR((text.left + text.right) / 2.0, s.ValueToPixel(38005), 4);
}

TEST(ScalePainting, DateTimeLabelsUseTheLocaleMonthNames)
{
    TFormatSettings german = TFormatSettings::English();
    german.ShortMonthNames[0] = "Jän";
    const TFormatSettings saved = FormatSettings();
    SetFormatSettings(german);
    TScale s;
    s.SetLabelType(ftDateTime);
    s.SetRangeLow(38000);
    s.SetRangeHigh(38010);
    std::vector<std::string> labels;
    s.OnBeforeTickLabel = [&](TScale&, TScaleType, double, std::string& text) { labels.push_back(text); };
    Rendered r(400, 400);
    Render(s, r);
    SetFormatSettings(saved);
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(labels[0], "16-Jän-2004");
}

TEST(ScaleLifecycle, EmbeddedScaleDrawsOnlyInRenderNow)
{
    TScale s;
    s.SuspendPaint(true);
    s.SetEmbedded(true);
    Rendered r(400, 400);
    s.SetExternalCanvas(r.canvas.get(), 0, 0);
    s.SetTransparent(true);
    int renders = 0;
    s.OnAfterScaleRendered = [&](TScale&, TCanvas&) { ++renders; };
    s.SetRangeHigh(50);
    s.SetCaption("x");
    s.Redraw();
    EXPECT_EQ(renders, 0);
    EXPECT_EQ(testsupport::CountPixels(r.image, kWhite, 0, 0, 400, 400), 400 * 400);
    s.RenderNow();
    EXPECT_EQ(renders, 1);
    EXPECT_TRUE(s.PaintSuspended());
    EXPECT_EQ(PixelRgb(r.image, 100, 379), kBlack);

    s.SetVisible(false);
    s.RenderNow();
    EXPECT_EQ(renders, 1);
}

TEST(ScaleLifecycle, EmbeddedChildOfAShownOwnerStaysHiddenAndSuspended)
{
    QWidget owner;
    owner.resize(300, 200);
    auto* s = new TScale(&owner);
    s->SuspendPaint(true);
    s->SetEmbedded(true);
    owner.show();
    EXPECT_FALSE(s->isVisible());
    EXPECT_TRUE(s->PaintSuspended());
    EXPECT_TRUE(s->Visible());
}

TEST(ScaleLifecycle, StandAloneScalePaintsItselfWhenShown)
{
    TScale s;
    s.resize(200, 80);
    int renders = 0;
    s.OnAfterScaleRendered = [&](TScale&, TCanvas&) { ++renders; };
    s.show();
    EXPECT_FALSE(s.PaintSuspended());
    const QImage shot = s.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_GE(renders, 1);
    EXPECT_EQ(PixelRgb(shot, 100, 80 - 21), kBlack);  // baseline
    EXPECT_EQ(PixelRgb(shot, 100, 30), Rgb(clBtnFace));
    const int before = renders;
    s.SetRangeHigh(10);  // a setter repaints at once
    EXPECT_GT(renders, before);
    s.SuspendPaint(true);
    const int suspended = renders;
    s.SetRangeHigh(20);
    EXPECT_EQ(renders, suspended);
}

TEST(ScaleLifecycle, TransparentStandAloneScaleLetsItsParentShowThrough)
{
    QWidget parent;
    parent.resize(300, 120);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, QColor(255, 255, 0));
    parent.setPalette(palette);
    parent.setAutoFillBackground(true);
    auto* s = new TScale(&parent);
    s->SetBounds(0, 0, 300, 120);
    s->SetTransparent(true);
    parent.show();
    const QImage shot = parent.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(PixelRgb(shot, 150, 40), 0xFFFF00u);       // the parent's background
    EXPECT_EQ(PixelRgb(shot, 150, 120 - 21), kBlack);    // the baseline
    EXPECT_EQ(PixelRgb(shot, 0, 0), 0xFFFF00u);          // no frame
}

// Ranges that make tick loops long or numbers degenerate: rendering ends quickly, records at
// most 250 ticks, and draws inside the control.
struct HostileRender {
    const char* name;
    double low, high;
    int minTicks;
    bool logarithmic;
    TFigType labelType;
};
void PrintTo(const HostileRender& c, std::ostream* os) { *os << c.name; }
const HostileRender kHostileRenders[] = {
    {"UnitStepsReversed", 10, 0, 0, false, ftNum},
    {"UnitStepsHugeSpan", 0, 1e300, 0, false, ftNum},
    {"HugeSpan", -1e300, 1e300, 10, false, ftNum},
    {"TinySpan", 0, 1e-300, 3, false, ftNum},
    {"SubnormalSpan", 0, 1e-310, 3, false, ftNum},
    {"LogEndBelowZero", -1, 1000, 3, true, ftNum},
    {"LogEndAtZero", 0, 1000, 3, true, ftNum},
    {"TimeUnitSteps", 0, 3600, 0, false, ftTime},
    {"DateTimeUnitSteps", 38000, 38010, 0, false, ftDateTime},
    {"DateTimePastYear9999", 2958000, 3000000, 10, false, ftDateTime},
    {"DateTimeWholeCalendar", -693593, 3000000, 3, false, ftDateTime},
};
class HostileRendering : public ::testing::TestWithParam<HostileRender> {};
TEST_P(HostileRendering, EndsAndStaysInside)
{
    const HostileRender& c = GetParam();
    const auto start = std::chrono::steady_clock::now();
    for (TScaleType type : {sctXB, sctYR}) {
        TScale s;
        s.resize(300, 300);
        s.SetScaleType(type);
        s.SetRangeLow(c.low);
        s.SetRangeHigh(c.high);
        s.SetMinTicks(c.minTicks);
        s.SetLogarithmic(c.logarithmic);
        s.SetLabelType(c.labelType);
        Rendered r(300, 300);
        Render(s, r);
        EXPECT_LE(s.NumTicks(), kTickListSize);
        for (int i = 1; i <= s.NumTicks(); ++i) EXPECT_TRUE(std::isfinite(s.TickPosition(i)));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}
INSTANTIATE_TEST_SUITE_P(Scale, HostileRendering, ::testing::ValuesIn(kHostileRenders),
                         [](const auto& info) { return std::string(info.param.name); });

// Settings at the ends of their types before loading has finished: a logarithmic date-time
// range through zero, margins, offsets and caption positions of INT_MAX and INT_MIN. The
// sanitizer build turns any overflow here into a failure.
TEST(HostileSettings, ExtremeMarginsOffsetsAndRangesDrawWithoutOverflow)
{
    for (TScaleType type : {sctXB, sctXT, sctYL, sctYR}) {
        SCOPED_TRACE(int(type));
        TScale s;
        s.resize(300, 300);
        s.SetScaleType(type);
        s.SetLabelType(ftDateTime);
        s.SetRangeLow(-1e-100);
        s.SetRangeHigh(1e-7);
        s.SetLogarithmic(true);
        s.SetCaption("caption");
        s.SetCaptionPosX(INT_MIN);
        s.SetCaptionPosY(INT_MAX);
        Rendered r(300, 300);
        Render(s, r, INT_MAX, INT_MIN);
        for (int margin : {INT_MAX, INT_MIN, 2147479946}) {
            s.SetMarginLeft(margin);
            s.SetMarginRight(margin);
            s.SetMarginTop(margin);
            s.SetMarginBottom(margin);
            Render(s, r, INT_MIN, INT_MAX);
            EXPECT_GE(s.MarginLeft(), 0);
            EXPECT_LE(s.MarginLeft(), kMaxScaleMargin);
        }
        s.SetLabelType(ftNum);
        s.SetRangeLow(-1.7976931348623157e308);
        s.SetRangeHigh(1.7976931348623157e308);
        Render(s, r);
        EXPECT_LE(s.NumTicks(), kTickListSize);
    }
}

}  // namespace
