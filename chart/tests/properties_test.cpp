#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "chartfixture.h"
#include "platform/msgbox.h"

TEST(ChartConstruction, ValuesAfterConstruction)
{
    TRChart chart;
    EXPECT_EQ(chart.width(), 280);
    EXPECT_EQ(chart.height(), 200);
    EXPECT_EQ(chart.MarginLeft(), 50);
    EXPECT_EQ(chart.MarginRight(), 20);
    EXPECT_EQ(chart.MarginTop(), 20);
    EXPECT_EQ(chart.MarginBottom(), 40);
    EXPECT_EQ(chart.CaptionPosX(), 0);
    EXPECT_EQ(chart.CaptionPosY(), -16);
    EXPECT_EQ(chart.CaptionAnchorHoriz(), cahChartRight);
    EXPECT_EQ(chart.CaptionAnchorVert(), cavChartTop);
    EXPECT_EQ(chart.CaptionAlignment(), taRightJustify);
    EXPECT_TRUE(chart.AutoRedraw());
    EXPECT_TRUE(chart.MouseCursorFixed());
    EXPECT_EQ(chart.MouseAction(), maNone);
    EXPECT_TRUE(chart.PaintLock());  // until the window is shown
    EXPECT_EQ(chart.ShadowWidth(), 0);
    EXPECT_EQ(chart.ShadowStyle(), ssFlying);
    EXPECT_EQ(chart.ShadowColor(), clGrayText);
    EXPECT_EQ(chart.ShadowBakColor(), clBtnFace);
    EXPECT_EQ(chart.WindColor(), clBtnFace);
    EXPECT_EQ(chart.ChartColor(), clWhite);
    EXPECT_EQ(chart.ChartFrameColor(), clBlack);
    EXPECT_EQ(chart.GridStyle(), gsNone);
    EXPECT_EQ(chart.DataColor(), clBlack);
    EXPECT_EQ(chart.FillColor(), clSilver);
    EXPECT_EQ(chart.LineWidth(), 1);
    EXPECT_EQ(chart.AllocSize(), 1000);
    EXPECT_EQ(chart.TextAlignment(), taCenter);
    EXPECT_EQ(chart.TextBkColor(), clWhite);
    EXPECT_EQ(chart.ItemCount(), 0);
    EXPECT_EQ(chart.ItemCapacity(), 0);
    EXPECT_EQ(chart.UseDataOf(), nullptr);
}

TEST(ChartConstruction, AxesOfTheLayers)
{
    TRChart chart;
    EXPECT_EQ(chart.Scale2X().ColorScale(), clMaroon);
    EXPECT_EQ(chart.Scale3X().ColorScale(), clGreen);
    EXPECT_EQ(chart.Scale4X().ColorScale(), clOlive);
    EXPECT_EQ(chart.ScalePropsY(16).ColorScale(), clWhite);
    for (int i = 1; i <= 16; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(chart.ScalePropsX(i).Visible(), i == 1);
        EXPECT_EQ(chart.ScalePropsY(i).Visible(), i == 1);
        EXPECT_EQ(chart.ScaleObjectX(i).Visible(), i == 1);
        EXPECT_EQ(chart.ScalePropsX(i).RangeLow(), 0);
        EXPECT_EQ(chart.ScalePropsX(i).RangeHigh(), 1);
        EXPECT_TRUE(chart.ScalePropsX(i).Loading());
    }
    // Layers 5..16 keep their placement: even layers above and right, further out in pairs.
    EXPECT_EQ(chart.ScalePropsX(6).ScaleType(), sctXB);
    EXPECT_EQ(chart.ScalePropsX(6).ScalePos(), 60);
    EXPECT_EQ(chart.ScalePropsY(7).ScaleType(), sctYR);
    EXPECT_EQ(chart.ScalePropsY(7).ScalePos(), 150);
    EXPECT_EQ(chart.Scale1X().ScaleType(), sctXT);
    EXPECT_EQ(chart.Scale1Y().ScaleType(), sctYR);
    EXPECT_EQ(chart.ScaleObjectX(3).objectName().toStdString(), "RC_FScale_X_3");
    EXPECT_EQ(chart.ScaleObjectY(12).objectName().toStdString(), "RC_FScale_Y_12");
    // The horizontal scale objects span exactly the chart area.
    EXPECT_EQ(chart.ScaleObjectX(1).MarginLeft(), 50);
    EXPECT_EQ(chart.ScaleObjectX(1).MarginRight(), 19);
    EXPECT_EQ(chart.ScaleObjectX(1).MarginTop(), 200 - 40);
    EXPECT_EQ(chart.ScaleObjectY(1).MarginTop(), 20);
    EXPECT_EQ(chart.ScaleObjectY(1).MarginBottom(), 39);
    EXPECT_EQ(chart.ScaleObjectY(1).MarginRight(), 280 - 50 - 1);
    EXPECT_TRUE(chart.ScaleObjectX(1).Transparent());
    EXPECT_EQ(chart.ScaleObjectY(16).width(), 280);
    EXPECT_EQ(chart.ScaleObjectY(16).height(), 200);
}

TEST(ChartConstruction, CrossHairsAndLabels)
{
    TRChart chart;
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(chart.CrossHair(k).Layer(), k);
        EXPECT_EQ(chart.CrossHair(k).Mode(), chOff);
        EXPECT_EQ(chart.CrossHair(k).LineWid(), 1);
    }
    const TTextLabel& label = chart.TextLabel(30);
    EXPECT_EQ(label.PosX(), 0);
    EXPECT_EQ(label.AttachToData(), tlamBoth);
    EXPECT_EQ(label.ColorBkg(), clWhite);
    EXPECT_EQ(label.ShadowDx(), 3);
    EXPECT_FALSE(label.Visible());
    EXPECT_EQ(label.Mode(), tlOff);
    EXPECT_TRUE(label.Font().SameAs(chart.Font()));
    for (int n = 1; n <= 16; ++n) EXPECT_EQ(chart.JointLayers().XControlledBy(n), n);
}

// A stored-setting row: what the setter gets and what is read back.
template <class T>
struct SetterCase {
    const char* name;
    T previous, value, stored;
};

TEST(ChartSetters, IntegerRules)
{
    const SetterCase<int> shadow[] = {{"Above", 0, 40, 32}, {"Below", 5, -3, 0}, {"Inside", 0, 8, 8}};
    const SetterCase<int> alloc[] = {
        {"Zero", 1000, 0, 1000}, {"Negative", 500, -1, 500}, {"AboveMax", 7, 1000001, 7}, {"Max", 7, 1000000, 1000000},
        {"One", 7, 1, 1}};
    TRChart chart;
    for (const auto& c : shadow) {
        SCOPED_TRACE(c.name);
        chart.SetShadowWidth(c.previous);
        chart.SetShadowWidth(c.value);
        EXPECT_EQ(chart.ShadowWidth(), c.stored);
    }
    for (const auto& c : alloc) {
        SCOPED_TRACE(c.name);
        chart.SetAllocSize(c.previous);
        chart.SetAllocSize(c.value);
        EXPECT_EQ(chart.AllocSize(), c.stored);
    }
    chart.SetClassDefault(7);
    chart.SetClassDefault(255);
    EXPECT_EQ(chart.ClassDefault(), 7);
}

TEST(ChartSetters, GridSpacingRule)
{
    const SetterCase<double> rows[] = {
        {"MinusThree", 0, -3, -3}, {"BelowMinusThree", 1, -3.5, 1}, {"Positive", 0, 0.25, 0.25},
        {"NaN", 2, std::nan(""), 2}};
    TRChart chart;
    for (const auto& c : rows) {
        SCOPED_TRACE(c.name);
        chart.SetGridDx(c.previous);
        chart.SetGridDx(c.value);
        EXPECT_EQ(chart.GridDx(), c.stored);
        chart.SetGridDy(c.previous);
        chart.SetGridDy(c.value);
        EXPECT_EQ(chart.GridDy(), c.stored);
    }
}

TEST(AxisSettings, SetterRules)
{
    TScalePropsHoriz x;
    int changes = 0;
    x.OnChange = [&](TScaleProps&) { ++changes; };
    x.SetDecPlaces(-5);
    EXPECT_EQ(x.DecPlaces(), -3);
    x.SetDecPlaces(20);
    EXPECT_EQ(x.DecPlaces(), 12);
    x.SetLabelType(ftTime);
    EXPECT_EQ(x.DecPlaces(), 4);
    x.SetRangeLow(1);
    x.SetRangeHigh(10);
    x.SetLogarithmic(true);  // accepted while loading
    EXPECT_TRUE(x.Logarithmic());
    x.SetLabelType(ftDateTime);
    EXPECT_FALSE(x.Logarithmic());
    EXPECT_EQ(changes, 7);
    x.Font().SetHeight(20);
    EXPECT_EQ(changes, 8);
    x.SetScaleLocation(slTop);
    EXPECT_EQ(x.ScaleType(), sctXB);
    TScalePropsVert y;
    y.SetScaleLocation(slRight);
    EXPECT_EQ(y.ScaleType(), sctYL);
    EXPECT_EQ(x.MinRange(), 1e-10);
    EXPECT_EQ(x.MinTicks(), 3);
    EXPECT_TRUE(x.ShortTicks());
}

TEST(SettingsObjects, CrossHairLabelAndBackground)
{
    TCrossHair hair;
    int changes = 0;
    hair.OnChange = [&](TCrossHair&) { ++changes; };
    hair.SetLayer(0);
    EXPECT_EQ(hair.Layer(), 1);
    hair.SetLayer(20);
    EXPECT_EQ(hair.Layer(), 16);
    hair.SetLayer(16);
    EXPECT_EQ(changes, 3);

    TTextLabel label;
    EXPECT_EQ(label.PosX(), 100);
    EXPECT_EQ(label.PosY(), 10);
    EXPECT_EQ(label.Mode(), tlsimple);
    EXPECT_EQ(label.ColorBkg(), clSilver);
    EXPECT_EQ(label.AttachToData(), tlamNone);
    label.SetLayer(20);
    EXPECT_EQ(label.Layer(), 1);
    label.SetCaption("a\tb\nc\rd");
    EXPECT_EQ(label.Caption(), "a b\nc d");

    TBakGndImg bkg;
    bkg.SetName("/some/dir/picture.bmp");
    EXPECT_EQ(bkg.Name(), "picture.bmp");
    bkg.SetIncludePath(true);
    EXPECT_EQ(bkg.Name(), "picture.bmp");
    bkg.SetName("/some/dir/picture.bmp");
    EXPECT_EQ(bkg.Name(), "/some/dir/picture.bmp");
    bkg.SetIncludePath(false);
    EXPECT_EQ(bkg.Name(), "picture.bmp");
    EXPECT_EQ(bkg.AreaColor(), 0xDDDDDDu);
    EXPECT_EQ(bkg.FillMode(), bfStretch);
}

TEST(Layouts, PresetsSetMarginsAndAxes)
{
    TRChart chart;
    chart.SetStandardLayout(rcl_X1Bottom_Y2Left);
    EXPECT_EQ(chart.MarginLeft(), 100);
    EXPECT_EQ(chart.MarginTop(), 24);
    EXPECT_TRUE(chart.Scale2Y().Visible());
    EXPECT_EQ(chart.Scale2Y().ScalePos(), 50);
    EXPECT_EQ(chart.Scale2Y().ScaleType(), sctYR);
    EXPECT_EQ(chart.StandardLayout(), rcl_X1Bottom_Y1Left);

    chart.SetStandardLayout(rcl_X2Both_Y2Both);
    EXPECT_EQ(chart.MarginTop(), 48);
    EXPECT_EQ(chart.Scale2X().ScaleLocation(), slTop);
    EXPECT_EQ(chart.Scale2Y().ScaleLocation(), slRight);
    EXPECT_TRUE(chart.ScaleObjectX(2).Visible());
    EXPECT_EQ(chart.ScaleObjectX(2).ScaleType(), sctXB);
    EXPECT_EQ(chart.Scale3Y().CaptionPosY(), -23);
    EXPECT_EQ(chart.CaptionAnchorHoriz(), cahChartCenter);

    chart.SetStandardLayout(rcl_X1Bottom_Y3Left);
    chart.SetStandardLayout(rcl_X1Bottom_Y1Left);
    EXPECT_FALSE(chart.Scale2Y().Visible());
    EXPECT_FALSE(chart.Scale3Y().Visible());
    EXPECT_EQ(chart.MarginLeft(), 50);
    EXPECT_EQ(chart.Scale3X().CaptionPosY(), 100);
}

TEST(Layouts, ScaleLocationMovesTheAxisAboveTheChartArea)
{
    TRChart chart;
    chart.Scale1X().SetScaleLocation(slTop);
    TScale& scale = chart.ScaleObjectX(1);
    EXPECT_EQ(scale.ScaleType(), sctXB);
    EXPECT_EQ(scale.MarginBottom(), 200 - 20 - 1);
    chart.Scale1X().SetScalePos(10);
    EXPECT_EQ(scale.MarginBottom(), 200 - 20 - 1 + 10);
}

TEST(Lifecycle, LoadedClearsTheLoadingFlags)
{
    TRChart chart;
    chart.BeginLoading();
    chart.Scale1X().SetRangeLow(0);
    chart.Scale1X().SetLogarithmic(true);  // no transform while loading: no error yet
    EXPECT_TRUE(chart.Scale1X().Logarithmic());
    EXPECT_THROW(chart.Loaded(), EQZLRChartError);
    chart.Scale1X().SetLogarithmic(false);
    EXPECT_FALSE(chart.Scale1X().Loading());
    chart.Scale1X().SetLogarithmic(true);  // checked now
    EXPECT_FALSE(chart.Scale1X().Logarithmic());
}

TEST(Events, ScaleEventsAreForwardedWithTheChartAsSender)
{
    TRChart chart;
    std::vector<double> ticks;
    TCustomRChart* sender = nullptr;
    chart.OnBeforeTickLabel = [&](TCustomRChart& s, TScaleType, double pos, std::string& text) {
        sender = &s;
        ticks.push_back(pos);
        text = "x";
    };
    int drawn = 0;
    chart.OnScaleTickDrawn = [&](TCustomRChart&, TCanvas&, TScaleType, double, int, int) { ++drawn; };
    chart.show();
    chart.Paint();
    EXPECT_EQ(sender, &chart);
    EXPECT_FALSE(ticks.empty());
    EXPECT_GT(drawn, 0);
}

class Sharing : public ::testing::Test {
protected:
    std::vector<std::string> boxes;
    TMessageBoxHookScope hook{[this](const TMessageBoxRequest& r) { boxes.push_back(r.Text); }};
    TRChart a, b, c, d, e, f;
};

TEST_F(Sharing, OneLevelDeepWithAtMostFourUsers)
{
    b.AddMark(26, 1, 2);
    a.SetUseDataOf(&b);
    c.SetUseDataOf(&a);
    EXPECT_EQ(c.UseDataOf(), &b);
    ASSERT_EQ(b.ShareUserCount(), 2);
    EXPECT_EQ(b.ShareUser(1), &a);
    EXPECT_EQ(b.ShareUser(2), &c);
    EXPECT_EQ(c.ItemCount(), 1);
    c.AddMoveTo(3, 4);
    EXPECT_EQ(a.ItemCount(), 2);
    EXPECT_EQ(b.ItemCount(), 2);
    EXPECT_EQ(b.KindOfLastItem(), ikMoveTo);

    d.SetUseDataOf(&b);
    e.SetUseDataOf(&b);
    f.SetUseDataOf(&b);
    EXPECT_EQ(f.UseDataOf(), nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "RChart: Max. number of data shares exceeded");

    a.SetUseDataOf(nullptr);
    EXPECT_EQ(b.ShareUserCount(), 3);
    EXPECT_EQ(b.ShareUser(1), &c);
    EXPECT_EQ(b.ShareUser(3), &e);
    // a keeps what it showed, as a list of its own
    EXPECT_EQ(a.ItemCount(), 2);
    a.AddMark(1, 0, 0);
    EXPECT_EQ(b.ItemCount(), 2);
    EXPECT_EQ(a.ItemCount(), 3);
}

TEST_F(Sharing, RefusedRequestsShowAMessageAndChangeNothing)
{
    a.SetUseDataOf(&a);
    a.SetUseDataOf(&b);
    b.SetUseDataOf(&c);
    EXPECT_EQ(b.UseDataOf(), nullptr);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "RChart: Cannot share data with myself");
    EXPECT_EQ(boxes[1], "RChart: Cannot use foreign data. Other RCharts are using my own data.");
}

TEST_F(Sharing, DestroyedChartsLeaveTheGroup)
{
    auto user = std::make_unique<TRChart>();
    user->SetUseDataOf(&a);
    EXPECT_EQ(a.ShareUserCount(), 1);
    user.reset();
    EXPECT_EQ(a.ShareUserCount(), 0);
    auto owner = std::make_unique<TRChart>();
    owner->AddMark(1, 0, 0);
    b.SetUseDataOf(owner.get());
    c.SetUseDataOf(owner.get());
    owner.reset();
    EXPECT_EQ(b.UseDataOf(), nullptr);
    b.AddMark(1, 0, 0);
    EXPECT_EQ(b.ItemCount(), 2);
    EXPECT_EQ(c.ItemCount(), 1);  // the former users no longer share
    EXPECT_EQ(c.Item(0).X1, 0);
}
