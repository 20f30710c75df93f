// What a fit is worth, in the window: the statistics window with its tables and residual plot,
// the band toggle drawing the confidence and prediction bands on the chart, the statistics on the
// clipboard, and the rule that none of it is computed while nobody asks for it.
//
// The reference figures come from R 4.2 on its `cars` data:
//   m <- lm(dist ~ speed, data = cars); summary(m); confint(m); AIC(m); BIC(m); residuals(m)[1:3]
//   predict(m, data.frame(speed = 10), interval = "confidence")   # and interval = "prediction"
//   summary(lm(dist ~ speed + I(speed^2), data = cars))
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <set>
#include <sstream>

#include "app/formuladialog.h"
#include "app/frmmain.h"
#include "app/language.h"
#include "app/speedbutton.h"
#include "app/spinedit.h"
#include "app/statisticswindow.h"
#include "mainwindow.h"
#include "app/valuegrid.h"
#include "chart/chart.h"
#include "curvefit/fitresult.h"
#include "platform/localefmt.h"
#include "platform/msgbox.h"

namespace {

// R's cars: speed (x) and stopping distance (y).
const double kSpeed[] = {4,  4,  7,  7,  8,  9,  10, 10, 10, 11, 11, 12, 12, 12, 12, 13, 13,
                         13, 13, 14, 14, 14, 14, 15, 15, 15, 16, 16, 17, 17, 17, 18, 18, 18,
                         18, 19, 19, 19, 20, 20, 20, 20, 20, 22, 23, 24, 24, 24, 24, 25};
const double kDist[] = {2,  10, 4,  22, 16, 10, 18, 26, 34, 17, 28, 14, 20,  24, 28, 26, 34,
                        34, 46, 26, 36, 60, 80, 20, 26, 54, 32, 40, 32, 40,  50, 42, 56, 76,
                        84, 36, 46, 68, 32, 48, 52, 56, 64, 66, 54, 70, 92,  93, 120, 85};
constexpr int kCars = 50;

struct TReference {
    const char* name;
    double value;
};

// summary(lm(dist ~ speed)), confint, AIC, BIC.
constexpr double kSlope = 3.932408759, kSlopeSe = 0.415512777, kSlopeT = 9.46399, kSlopeP = 1.4898365e-12;
constexpr double kSlopeLow = 3.09696432814, kSlopeHigh = 4.76785319011;
constexpr double kIntercept = -17.579094891, kInterceptSe = 6.758440169, kInterceptT = -2.60106,
                 kInterceptP = 0.012319;
constexpr double kInterceptLow = -31.16784960239, kInterceptHigh = -3.99034017863;
const TReference kCarsStatistics[] = {
    {"Freiheitsgrade", 48},           {"Reststandardfehler", 15.3795867488}, {"Anpassungsgrad", 0.651079381},
    {"Korrigiertes R²", 0.643810201191}, {"F", 89.5671065365},               {"p-Wert von F", 1.4898365e-12},
    {"AIC", 419.156863027},           {"BIC", 424.892932044},
};

constexpr double kLevelTolerance = 1e-9;  // R's twelve digits against the engine's


// A number as the window or the clipboard writes it, with a decimal comma; NaN for "–".
double Read(const QString& text)
{
    if (text == QString::fromUtf8("–")) return std::numeric_limits<double>::quiet_NaN();
    QString t = text;
    t.replace(',', '.');
    return std::stod(t.toStdString());
}

// `actual` within `relative` of `expected`, relative to its size.
::testing::AssertionResult Near(double actual, double expected, double relative)
{
    if (std::fabs(actual - expected) <= relative * std::fabs(expected)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " is not within " << relative << " of " << expected;
}

class Statistics : public ::testing::Test {
protected:
    Statistics() : m_hook([this](const TMessageBoxRequest& r) { Boxes.push_back(r.Text); })
    {
        W.show();
        QApplication::processEvents();
    }
    ~Statistics() override { W.hide(); }

    void EnterTable(std::span<const double> xs, std::span<const double> ys)
    {
        TValueGridModel& m = W.WerteTabelleGrid->Model();
        m.ClearCells();
        for (std::size_t i = 0; i < xs.size(); ++i) {
            m.SetCell(0, int(i) + 1, Text(xs[i]));
            m.SetCell(1, int(i) + 1, Text(ys[i]));
        }
        QTest::mouseClick(W.WerteUebernehmenBtn, Qt::LeftButton);
    }
    void EnterCars() { EnterTable(kSpeed, kDist); }
    static std::string Text(double v)
    {
        std::ostringstream s;
        s.precision(17);
        s << v;
        std::string t = s.str();
        for (char& c : t)
            if (c == '.') c = ',';
        return t;
    }
    void Fit(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }

    TStatisticsWindow& Window()
    {
        EXPECT_NE(W.StatisticsWindow, nullptr);
        return *W.StatisticsWindow;
    }
    QString ParameterCell(int row, int column)
    {
        const QTableWidgetItem* item = Window().ParameterTable->item(row, column);
        return item ? item->text() : QString();
    }
    // The value of the statistics table's row `name` (empty when there is none).
    QString Statistic(const QString& name)
    {
        QTableWidget* t = Window().StatisticTable;
        for (int r = 0; r < t->rowCount(); ++r)
            if (t->item(r, 0)->text() == name) return t->item(r, 1)->text();
        return {};
    }

    // The display list's items from `first` on.
    std::vector<TDisplayItem> ItemsFrom(int first)
    {
        std::vector<TDisplayItem> out;
        for (int i = first; i < W.RChart1->ItemCount(); ++i) out.push_back(W.RChart1->Item(i));
        return out;
    }
    int MarkCount()
    {
        int n = 0;
        for (int i = 0; i < W.RChart1->ItemCount(); ++i) n += W.RChart1->Item(i).Kind == ikMark;
        return n;
    }

    CommaLocale m_locale;
    std::vector<std::string> Boxes;
    TFrmMain W;

private:
    TMessageBoxHookScope m_hook;
};

}  // namespace

// "Statistik" opens a window beside the main one that shows the cars line as R reports it and
// follows the next fit, down to no fit at all.
TEST_F(Statistics, WindowShowsTheFitAsRDoesAndFollowsTheNextFit)
{
    EnterCars();
    Fit(W.BButLinFit);
    W.Statistik1->trigger();
    ASSERT_NE(W.StatisticsWindow, nullptr);
    EXPECT_TRUE(Window().isVisible());
    EXPECT_FALSE(Window().isModal());
    EXPECT_EQ(Window().LblModel->text(), "y = k*x + d");

    ASSERT_EQ(Window().ParameterTable->rowCount(), 2);
    const struct {
        int row;
        const char* name;
        double value, se, low, high, t, p;
    } parameters[] = {
        {0, "k", kSlope, kSlopeSe, kSlopeLow, kSlopeHigh, kSlopeT, kSlopeP},
        {1, "d", kIntercept, kInterceptSe, kInterceptLow, kInterceptHigh, kInterceptT, kInterceptP},
    };
    for (const auto& p : parameters) {
        SCOPED_TRACE(p.name);
        EXPECT_EQ(ParameterCell(p.row, 0), p.name);
        // Seven significant digits, t four and p three.
        EXPECT_TRUE(Near(Read(ParameterCell(p.row, 1)), p.value, 1e-6));
        EXPECT_TRUE(Near(Read(ParameterCell(p.row, 2)), p.se, 1e-6));
        EXPECT_TRUE(Near(Read(ParameterCell(p.row, 3)), p.low, 1e-6));
        EXPECT_TRUE(Near(Read(ParameterCell(p.row, 4)), p.high, 1e-6));
        EXPECT_TRUE(Near(Read(ParameterCell(p.row, 5)), p.t, 1e-3));
        EXPECT_TRUE(Near(Read(ParameterCell(p.row, 6)), p.p, 1e-2));
        EXPECT_TRUE(ParameterCell(p.row, 1).contains(',')) << "the locale's decimal separator";
    }
    EXPECT_EQ(Statistic("Punkte"), "50");
    for (const TReference& s : kCarsStatistics)
        EXPECT_TRUE(Near(Read(Statistic(QString::fromUtf8(s.name))), s.value, 1e-6)) << s.name;

    // The residual plot: a zero line, then a mark at (x, residual) for every point.
    TRChart& plot = *Window().ResidualChart;
    ASSERT_EQ(plot.ItemCount(), 2 + kCars);
    EXPECT_EQ(plot.Item(0).Kind, ikMoveTo);
    EXPECT_EQ(plot.Item(0).Y1, 0.0);
    EXPECT_EQ(plot.Item(1).Kind, ikLineTo);
    EXPECT_EQ(plot.Item(1).Y1, 0.0);
    const double firstResiduals[] = {3.84945985401, 11.84945985401, -5.94776642336};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(plot.Item(2 + i).Kind, ikMark);
        EXPECT_EQ(plot.Item(2 + i).X1, kSpeed[i]);
        EXPECT_TRUE(Near(plot.Item(2 + i).Y1, firstResiduals[i], kLevelTolerance)) << i;
    }
    EXPECT_LT(plot.ScalePropsY(1).RangeLow(), -29.06908029) << "the largest negative residual is in sight";
    EXPECT_GT(plot.ScalePropsY(1).RangeHigh(), 43.20128467);

    // The next fit: the parabola of R's lm(dist ~ speed + I(speed^2)).
    Fit(W.BButParabolFit);
    EXPECT_EQ(Window().LblModel->text(), "y = k0 + k1*x + k2*sqr(x)");
    ASSERT_EQ(Window().ParameterTable->rowCount(), 3);
    EXPECT_TRUE(Near(Read(ParameterCell(2, 1)), 0.0999593020698, 1e-6));
    EXPECT_TRUE(Near(Read(ParameterCell(2, 2)), 0.0659682106823, 1e-6));
    EXPECT_TRUE(Near(Read(ParameterCell(0, 6)), 0.868315075849, 1e-2));
    EXPECT_EQ(Statistic("Freiheitsgrade"), "47");
    EXPECT_TRUE(Near(Read(Statistic("Reststandardfehler")), 15.1760701243, 1e-6));
    EXPECT_TRUE(Near(Read(Statistic("AIC")), 418.772068471, 1e-6));

    // No fit: the window says so and shows nothing of the last one.
    QTest::mouseClick(W.SBClear, Qt::LeftButton);
    EXPECT_EQ(Window().LblModel->text(), "Keine Anpassung gezeigt");
    EXPECT_EQ(Window().ParameterTable->rowCount(), 0);
    EXPECT_EQ(Window().StatisticTable->rowCount(), 0);
    EXPECT_EQ(Window().ResidualChart->ItemCount(), 0);
    // A fit that fails leaves no fit either.
    Fit(W.BButLinFit);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Window().LblModel->text(), "Keine Anpassung gezeigt");
    Window().close();
}

// The statistics cost a pass over the points: a fit command computes them only while the window
// is open or the bands are shown.
TEST_F(Statistics, NothingIsComputedWhileNobodyAsks)
{
    EnterCars();
    Fit(W.BButLinFit);
    ASSERT_TRUE(W.LastFit());
    EXPECT_FALSE(W.LastFit()->HasErrors);
    EXPECT_EQ(W.LastFit()->Statistics.Points, 0);
    EXPECT_TRUE(W.LastFit()->Residuals.empty());

    W.Statistik1->trigger();  // opening the window computes them for the fit shown
    EXPECT_TRUE(W.LastFit()->HasErrors);
    EXPECT_EQ(W.LastFit()->Residuals.size(), std::size_t(kCars));
    Fit(W.BButParabolFit);
    EXPECT_TRUE(W.LastFit()->HasErrors) << "the open window follows the fit";

    Window().close();
    Fit(W.BButLinFit);
    EXPECT_FALSE(W.LastFit()->HasErrors) << "a closed window costs nothing";

    W.Konfidenzband1->trigger();
    Fit(W.BButParabolFit);
    EXPECT_TRUE(W.LastFit()->HasErrors) << "the bands need the statistics";
    W.Konfidenzband1->trigger();
    Fit(W.BButLinFit);
    EXPECT_FALSE(W.LastFit()->HasErrors);
}

// The band toggle draws the confidence band and the prediction band of the last fit as dashed
// curves in the curve's colour, one above and one below the curve each, at the curve's x steps
// over the visible range; the next fit draws them again, the spline has none.
TEST_F(Statistics, BandToggleDrawsDashedBandsAroundTheCurve)
{
    EnterCars();
    W.RChart1->Scale1X().SetRangeHigh(40);  // samples every 0.2, so x = 10 is one of them
    W.RChart1->Scale1Y().SetRangeHigh(150);
    Fit(W.BButLinFit);
    const int curveEnd = W.RChart1->ItemCount();
    ASSERT_EQ(ItemsFrom(curveEnd - 2).size(), 2u);
    const TDisplayItem curveEndItem = W.RChart1->Item(curveEnd - 1);
    EXPECT_EQ(curveEndItem.PenStyle, psSolid);

    W.Konfidenzband1->trigger();
    EXPECT_TRUE(W.Konfidenzband1->isChecked());
    const std::vector<TDisplayItem> band = ItemsFrom(curveEnd);
    constexpr int kEdgePoints = kCurveSamples + 1;
    ASSERT_EQ(band.size(), std::size_t(4 * kEdgePoints)) << "four edges over the whole range";
    for (std::size_t i = 0; i < band.size(); ++i) {
        EXPECT_EQ(band[i].Kind, i % kEdgePoints == 0 ? ikMoveTo : ikLineTo) << i;
        EXPECT_EQ(band[i].PenStyle, psDash) << i;
        EXPECT_EQ(band[i].Color, curveEndItem.Color) << i;
    }
    // Edges in the order confidence low, high, prediction low, high; each around the line.
    const auto edge = [&](int e, int i) { return band[std::size_t(e * kEdgePoints + i)]; };
    for (int i = 0; i < kEdgePoints; i += 20) {
        const double x = edge(0, i).X1, line = kSlope * x + kIntercept;
        SCOPED_TRACE(x);
        EXPECT_LT(edge(2, i).Y1, edge(0, i).Y1);
        EXPECT_LT(edge(0, i).Y1, line);
        EXPECT_GT(edge(1, i).Y1, line);
        EXPECT_GT(edge(3, i).Y1, edge(1, i).Y1);
    }
    // predict(m, data.frame(speed = 10), interval = ...) in R.
    const int at10 = 50;
    ASSERT_NEAR(edge(0, at10).X1, 10.0, 1e-12);
    EXPECT_TRUE(Near(edge(0, at10).Y1, 15.4619173400, kLevelTolerance));
    EXPECT_TRUE(Near(edge(1, at10).Y1, 28.0280680615, kLevelTolerance));
    EXPECT_TRUE(Near(edge(2, at10).Y1, -9.80960078798, kLevelTolerance));
    EXPECT_TRUE(Near(edge(3, at10).Y1, 53.2995861894, kLevelTolerance));

    // Off again: the curve alone.
    W.Konfidenzband1->trigger();
    EXPECT_EQ(W.RChart1->ItemCount(), curveEnd);
    // On: every fit command draws the band after its curve; the spline has none.
    W.Konfidenzband1->trigger();
    Fit(W.BButParabolFit);
    const std::vector<TDisplayItem> drawn = ItemsFrom(MarkCount());
    int dashed = 0;
    for (const TDisplayItem& it : drawn) dashed += it.PenStyle == psDash;
    EXPECT_EQ(dashed, 4 * kEdgePoints);
    Fit(W.BButSpline);
    for (const TDisplayItem& it : ItemsFrom(MarkCount())) EXPECT_EQ(it.PenStyle, psSolid);
    W.Konfidenzband1->trigger();
}

// The dashed band shows on the screen: new pixels of the curve's colour above and below the line,
// and along an edge the pattern's gaps.
TEST_F(Statistics, BandIsDrawnDashedOnTheChart)
{
    EnterCars();
    W.RChart1->Scale1X().SetRangeHigh(30);
    W.RChart1->Scale1Y().SetRangeHigh(150);
    Fit(W.BButLinFit);
    const QImage without = W.RChart1->grab().toImage();
    W.Konfidenzband1->trigger();
    QApplication::processEvents();
    const QImage with = W.RChart1->grab().toImage();
    ASSERT_TRUE(W.LastFit() && W.LastFit()->HasErrors);
    const TFitResult fit = *W.LastFit();
    W.Konfidenzband1->trigger();

    const qreal ratio = with.devicePixelRatio();
    const auto pixel = [&](const QImage& image, int x, int y) { return image.pixelColor(int(x * ratio), int(y * ratio)); };
    int px = 0, py = 0;
    W.RChart1->WorldToMouse(1, 15, kSlope * 15 + kIntercept, px, py);
    const QColor curve = pixel(with, px, py);
    const TChartArea area = W.RChart1->ChartArea();
    int above = 0, below = 0, painted = 0, gaps = 0;
    for (int x = area.Left + 1; x < area.Right; ++x) {
        double wx = 0, wy = 0;
        W.RChart1->MouseToWorld(1, x, 0, wx, wy);
        int lineX = 0, lineY = 0;
        W.RChart1->WorldToMouse(1, wx, kSlope * wx + kIntercept, lineX, lineY);
        for (int y = area.Top + 1; y < area.Bottom; ++y)
            if (pixel(with, x, y) == curve && pixel(without, x, y) != curve) (y < lineY ? above : below) += 1;
        // The upper prediction edge where it is inside the chart: painted or a gap of the dashes.
        const TBandPoint b = BandAt(fit, wx, 0.95);
        int edgeX = 0, edgeY = 0;
        W.RChart1->WorldToMouse(1, wx, b.PredHigh, edgeX, edgeY);
        if (edgeY <= area.Top + 2 || edgeY >= area.Bottom - 2) continue;
        bool hit = false;
        for (int y = edgeY - 1; y <= edgeY + 1; ++y) hit |= pixel(with, x, y) == curve;
        (hit ? painted : gaps) += 1;
    }
    EXPECT_GT(above, 100) << "two edges above the line";
    EXPECT_GT(below, 100) << "two edges below the line";
    EXPECT_GT(painted, 5 * gaps / 2) << "mostly dashes";
    EXPECT_GT(gaps, painted / 10) << "dashed, not solid";
}

// The band changes only where the last curve still ends the display list: after new points the
// toggle waits for the next fit.
TEST_F(Statistics, BandToggleLeavesACurveBehindNewMarksAlone)
{
    EnterCars();
    Fit(W.BButLinFit);
    const double more[] = {30}, moreY[] = {100};
    QTest::mouseClick(W.SBNewPnts, Qt::LeftButton);  // entry mode strips the curve
    const int count = W.RChart1->ItemCount();
    W.Konfidenzband1->trigger();
    EXPECT_EQ(W.RChart1->ItemCount(), count) << "no curve, so no band";
    W.Konfidenzband1->trigger();
    QTest::mouseClick(W.SBNewPnts, Qt::LeftButton);
    Fit(W.BButLinFit);
    EnterTable(more, moreY);  // the old curve stays in front of the new mark
    const int afterTakeOver = W.RChart1->ItemCount();
    W.Konfidenzband1->trigger();
    EXPECT_EQ(W.RChart1->ItemCount(), afterTakeOver);
    EXPECT_EQ(W.RChart1->KindOfLastItem(), ikMark);
    W.Konfidenzband1->trigger();
}

// "Ergebnis an Clipboard": today's rows, then the parameter table and the statistics, each block
// after an empty row, with every digit and the locale's separator.
TEST_F(Statistics, ClipboardCarriesTheParameterTableAndTheStatistics)
{
    EnterCars();
    Fit(W.BButLinFit);
    W.ErgebnisAnClipboard->trigger();
    const QStringList lines = QApplication::clipboard()->text().split("\r\n");
    ASSERT_GE(lines.size(), 19);
    EXPECT_EQ(lines[0], "Modell\tGerade");
    EXPECT_EQ(lines[1], "Formel\ty = k*x + d");
    EXPECT_TRUE(lines[2].startsWith("k\t"));
    EXPECT_TRUE(lines[3].startsWith("d\t"));
    EXPECT_TRUE(lines[4].startsWith("Anpassungsgrad\t"));
    EXPECT_EQ(lines[5], "Punkte\t50");
    EXPECT_EQ(lines[6], "");
    EXPECT_EQ(lines[7], "Parameter\tWert\tStandardfehler\t95 %-Intervall von\tbis\tt\tp");
    const struct {
        int line;
        const char* name;
        double values[6];
    } parameters[] = {
        {8, "k", {kSlope, kSlopeSe, kSlopeLow, kSlopeHigh, kSlopeT, kSlopeP}},
        {9, "d", {kIntercept, kInterceptSe, kInterceptLow, kInterceptHigh, kInterceptT, kInterceptP}},
    };
    for (const auto& p : parameters) {
        const QStringList cells = lines[p.line].split('\t');
        ASSERT_EQ(cells.size(), 7) << p.name;
        EXPECT_EQ(cells[0], p.name);
        // R prints t and p with fewer digits than the rest.
        const double tolerance[] = {kLevelTolerance, 1e-8, 1e-8, 1e-8, 1e-5, 1e-4};
        for (int c = 0; c < 6; ++c) {
            EXPECT_FALSE(cells[c + 1].contains('.')) << "the locale's separator is a comma";
            EXPECT_TRUE(Near(Read(cells[c + 1]), p.values[c], tolerance[c])) << p.name << " column " << c + 1;
        }
    }
    EXPECT_EQ(lines[10], "");
    std::map<QString, QString> statistics;
    for (int i = 11; i < lines.size() && !lines[i].isEmpty(); ++i) {
        const QStringList cells = lines[i].split('\t');
        ASSERT_EQ(cells.size(), 2) << lines[i].toStdString();
        statistics[cells[0]] = cells[1];
    }
    EXPECT_EQ(statistics["Freiheitsgrade"], "48");
    for (const TReference& s : kCarsStatistics) {
        const QString name = QString::fromUtf8(s.name);
        if (name == "Anpassungsgrad" || name == "Freiheitsgrade") continue;  // rows above
        ASSERT_TRUE(statistics.count(name)) << s.name;
        EXPECT_TRUE(Near(Read(statistics[name]), s.value, name == "p-Wert von F" ? 1e-6 : kLevelTolerance)) << s.name;
    }
    EXPECT_TRUE(statistics.count("Residuenquadratsumme"));
}

// Statistics need the points the fit was made from: after a take-over of other points (as many
// as before) the window and the clipboard show the fit without them and say why.
// A take-over replaces the points and forgets the fit made from the old ones: the window shows no
// fit rather than figures of points that are gone.
TEST_F(Statistics, NoStatisticsForPointsThatAreGone)
{
    EnterCars();
    Fit(W.BButLinFit);
    W.Statistik1->trigger();
    EXPECT_TRUE(W.LastFit()->HasErrors);
    std::vector<double> otherDist(std::begin(kDist), std::end(kDist));
    for (double& d : otherDist) d *= 2;
    EnterTable(kSpeed, otherDist);
    EXPECT_FALSE(W.LastFit().has_value());
    EXPECT_EQ(Window().LblModel->text(), "Keine Anpassung gezeigt");
    EXPECT_EQ(Window().ResidualChart->ItemCount(), 0);
    Window().close();
}

// The window names what it cannot show: a transformed model's regressed variable, a fit without
// degrees of freedom, the polynomial fitted to no points at all.
TEST_F(Statistics, WindowSaysWhatItsFiguresAreIn)
{
    W.Statistik1->trigger();
    EXPECT_EQ(Window().LblModel->text(), "Keine Anpassung gezeigt");
    // The polynomial draws y = 0 without points: no statistics, no failure.
    W.SEPolyOrder->SetValue(1);
    Fit(W.BButPolynomial);
    EXPECT_TRUE(Boxes.empty()) << Boxes.front();
    EXPECT_EQ(Window().ParameterTable->rowCount(), 2);

    const double xs[] = {1, 2, 3, 4, 5}, ys[] = {2.7, 7.4, 20.1, 54.6, 148.4};
    EnterTable(xs, ys);
    Fit(W.SBExpo);
    EXPECT_TRUE(Window().LblNote->text().contains("ln y")) << Window().LblNote->text().toStdString();
    EXPECT_EQ(Window().LblResiduals->text(), "Residuen in ln y gegen x");
    EXPECT_EQ(Window().ResidualChart->ItemCount(), 2 + 5);

    const double two[] = {1, 2}, twoY[] = {1, 3};
    EnterTable(two, twoY);
    Fit(W.BButLinFit);
    EXPECT_EQ(Statistic("Freiheitsgrade"), "0");
    EXPECT_EQ(ParameterCell(0, 2), QString::fromUtf8("–"));
    EXPECT_TRUE(Window().LblNote->text().contains("Freiheitsgrade")) << Window().LblNote->text().toStdString();
    Window().close();
}

// The menu "Anzeige" has its mnemonic, its entries theirs and their shortcuts; in English every
// text of the window is English.
TEST_F(Statistics, MenuKeysAndEnglishTexts)
{
    EXPECT_EQ(QKeySequence::mnemonic(W.Anzeige1->text()), QKeySequence(Qt::ALT | Qt::Key_Z));
    std::set<QKeySequence> inMenu;
    for (QAction* a : W.Anzeige1->menu()->actions()) EXPECT_TRUE(inMenu.insert(QKeySequence::mnemonic(a->text())).second);
    EXPECT_EQ(W.Statistik1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
    EXPECT_EQ(W.Konfidenzband1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_B));
    EXPECT_EQ(W.menuBar()->actions().indexOf(W.Anzeige1), W.menuBar()->actions().indexOf(W.Kurve1->menuAction()) + 1)
        << "after Kurve, before Hilfe";

    const double xs[] = {1, 2, 3, 4, 5}, ys[] = {1, 3, 2, 5, 4};  // the spline needs distinct x
    EnterTable(xs, ys);
    Fit(W.BButSpline);
    QApplication::setActiveWindow(&W);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&W));
    QTest::keyClick(&W, Qt::Key_T, Qt::ControlModifier);
    ASSERT_NE(W.StatisticsWindow, nullptr);
    EXPECT_TRUE(Window().isVisible());
    EXPECT_TRUE(Window().LblModel->text().startsWith(QString::fromUtf8("Glättungsspline")));
    EXPECT_EQ(Window().ParameterTable->rowCount(), 0) << "the spline has no parameters with errors";
    QApplication::setActiveWindow(&W);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&W));
    QTest::keyClick(&W, Qt::Key_B, Qt::ControlModifier);
    EXPECT_TRUE(W.Konfidenzband1->isChecked());
    W.Konfidenzband1->trigger();

    Fit(W.BButLinFit);
    ASSERT_TRUE(SetLanguage(kLanguageEnglish));
    QApplication::processEvents();
    EXPECT_EQ(W.Anzeige1->text(), "Vie&w");
    EXPECT_EQ(W.Statistik1->text(), "&Statistics");
    std::vector<QString> texts = {Window().windowTitle(), Window().LblNote->text(), Window().LblResiduals->text(),
                                  W.Konfidenzband1->text()};
    for (int c = 0; c < Window().ParameterTable->columnCount(); ++c)
        texts.push_back(Window().ParameterTable->horizontalHeaderItem(c)->text());
    for (int r = 0; r < Window().StatisticTable->rowCount(); ++r) texts.push_back(Window().StatisticTable->item(r, 0)->text());
    static const QRegularExpression german("[äöüÄÖÜß]|Wert|Fehler|Punkte|Freiheit|Residuen|Anpassung|Statistik|Korrig|bis|von|gegen");
    for (const QString& t : texts) EXPECT_FALSE(german.match(t).hasMatch()) << t.toStdString();
    EXPECT_EQ(Window().LblResiduals->text(), "Residuals in y against x");
    SetLanguage(kLanguageGerman);
    QApplication::processEvents();
    EXPECT_EQ(Window().LblResiduals->text(), "Residuen in y gegen x");
    Window().close();
}

// The smoothing bar redraws the spline, and the open window follows each of its steps.
TEST_F(Statistics, WindowFollowsTheSmoothingBar)
{
    const double xs[] = {1, 2, 3, 4, 5}, ys[] = {1, 3, 2, 5, 4};
    EnterTable(xs, ys);
    Fit(W.BButSpline);
    W.Statistik1->trigger();
    EXPECT_EQ(Window().LblModel->text(), QString::fromUtf8("Glättungsspline, Glättungsfaktor 1"));
    W.SBarSmoothSpline->setValue(500);
    EXPECT_EQ(Window().LblModel->text(), QString::fromUtf8("Glättungsspline, Glättungsfaktor 0,5"));
    EXPECT_EQ(Statistic("Punkte"), "5");
    // No parameter with an error: no parameter table, not an empty one.
    EXPECT_TRUE(Window().ParameterTable->isHidden());
    Fit(W.BButLinFit);
    EXPECT_FALSE(Window().ParameterTable->isHidden());
    Window().close();
}

namespace {

// The yeast culture of examples/yeast.csv against the hour: a logistic growth curve. Its figures
// are R's (4.2), the nonlinear fit and the delta method's band by hand:
//   m <- nls(y ~ a/(1+exp(-b*(x-c))), start = list(a = 665, b = 0.5, c = 8),
//            control = nls.control(tol = 1e-7))
//   summary(m); q <- qt(0.975, 16); coef(m) -/+ q * se; sigma(m); deviance(m); AIC(m); BIC(m)
//   e <- exp(-b*(10-c)); g <- c(1/(1+e), a*e*(10-c)/(1+e)^2, -a*e*b/(1+e)^2)
//   se <- sqrt(t(g) %*% vcov(m) %*% g); f(10) -/+ q*se; f(10) -/+ q*sqrt(se^2 + sigma(m)^2)
const double kYeast[] = {9.6,   18.3,  29.0,  47.2,  71.1,  119.1, 174.6, 257.3, 350.7, 441.0,
                         513.3, 559.7, 594.8, 629.4, 640.8, 651.1, 655.9, 659.6, 661.8};
const double kHours[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
struct TNonlinearParameter {
    double value, se, low, high, t, p;
};
const TNonlinearParameter kLogistic[] = {
    {663.021990912, 1.70272872274, 659.412367270, 666.631614554, 389.3879, 3.01712e-33},
    {0.546994726278, 0.00558266541212, 0.535160004287, 0.558829448269, 97.98093, 1.15433e-23},
    {7.80768759450, 0.0223374542602, 7.76033430684, 7.85504088215, 349.5335, 1.69750e-32},
};
const TReference kLogisticStatistics[] = {
    {"Freiheitsgrade", 16},           {"Residuenquadratsumme", 194.325378212}, {"Reststandardfehler", 3.48501594519},
    {"Anpassungsgrad", 0.999845766545}, {"Korrigiertes R²", 0.999826487363}, {"AIC", 106.096468924},
    {"BIC", 109.874224841},
};
const double kLogisticResiduals[] = {0.464482759078, 2.670143252049, 2.446529025610};
// The fit at x = 10, the confidence band's ends and the prediction band's.
const double kLogisticBandAt10[] = {505.875484399, 513.029486954, 501.244193512, 517.660777841};
// R stops its search at a relative change of 1e-7 and shows ~12 digits: the window's seven
// significant digits are compared to the sixth.
constexpr double kNonlinearTolerance = 1e-6;

}  // namespace

// A nonlinear model, built in ("Kurve" menu) or typed as a formula, shows in the statistics
// window like every other fit: its parameters with standard error, interval, t and p, the
// statistics of a fit in y (no F: such a curve has no null model F would test), and the
// residuals against x.
TEST_F(Statistics, NonlinearFitsShowTheirErrorsStatisticsAndResiduals)
{
    EnterTable(kHours, kYeast);
    W.Statistik1->trigger();
    struct Case {
        const char* name;
        std::function<void()> fit;
        const char* formula;
        std::vector<QString> names;
    };
    const std::vector<Case> cases = {
        {"the built-in logistic curve", [&] { W.KurveModelle[1]->trigger(); }, "y = a/(1+exp(-b*(x-c)))",
         {"a", "b", "c"}},
        {"a typed formula",
         [&] {
             QTimer::singleShot(0, [&] {
                 W.FormelDialog->FormulaEdit->setText("y = K/(1+exp(r*(m-x)))");
                 W.FormelDialog->StartEdit->setText("K = 600; r = 0,5; m = 8");
                 QTest::mouseClick(W.FormelDialog->FitButton, Qt::LeftButton);
             });
             W.Formel1->trigger();
         },
         "y = K/(1+exp(r*(m-x)))", {"K", "r", "m"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fit(W.BButLinFit);  // another fit first, so the window has to follow
        c.fit();
        ASSERT_TRUE(Boxes.empty()) << Boxes.front();
        EXPECT_EQ(Window().LblModel->text(), c.formula);
        EXPECT_TRUE(Window().LblNote->text().isEmpty()) << Window().LblNote->text().toStdString();
        ASSERT_EQ(Window().ParameterTable->rowCount(), 3);
        for (int r = 0; r < 3; ++r) {
            SCOPED_TRACE(r);
            const TNonlinearParameter& p = kLogistic[r];
            EXPECT_EQ(ParameterCell(r, 0), c.names[std::size_t(r)]);
            EXPECT_TRUE(Near(Read(ParameterCell(r, 1)), p.value, kNonlinearTolerance));
            EXPECT_TRUE(Near(Read(ParameterCell(r, 2)), p.se, kNonlinearTolerance));
            EXPECT_TRUE(Near(Read(ParameterCell(r, 3)), p.low, kNonlinearTolerance));
            EXPECT_TRUE(Near(Read(ParameterCell(r, 4)), p.high, kNonlinearTolerance));
            EXPECT_TRUE(Near(Read(ParameterCell(r, 5)), p.t, 1e-3));
            EXPECT_TRUE(Near(Read(ParameterCell(r, 6)), p.p, 1e-2));
        }
        EXPECT_EQ(Statistic("Punkte"), "19");
        for (const TReference& st : kLogisticStatistics)
            EXPECT_TRUE(Near(Read(Statistic(QString::fromUtf8(st.name))), st.value, kNonlinearTolerance)) << st.name;
        EXPECT_TRUE(Statistic("F").isEmpty());

        TRChart& plot = *Window().ResidualChart;
        ASSERT_EQ(plot.ItemCount(), 2 + 19);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(plot.Item(2 + i).Kind, ikMark);
            EXPECT_EQ(plot.Item(2 + i).X1, kHours[i]);
            EXPECT_TRUE(Near(plot.Item(2 + i).Y1, kLogisticResiduals[i], 1e-4)) << i;
        }
        EXPECT_EQ(Window().LblResiduals->text(), "Residuen in y gegen x");
    }
    Window().close();
}

// The band toggle draws a nonlinear fit's bands too: the delta method's, around the curve.
TEST_F(Statistics, BandToggleDrawsTheBandsOfANonlinearFit)
{
    EnterTable(kHours, kYeast);
    W.RChart1->Scale1X().SetRangeLow(0);
    W.RChart1->Scale1X().SetRangeHigh(40);  // samples every 0.2, so x = 10 is one of them
    W.RChart1->Scale1Y().SetRangeHigh(800);
    W.KurveModelle[1]->trigger();
    ASSERT_TRUE(Boxes.empty()) << Boxes.front();
    const int curveEnd = W.RChart1->ItemCount();
    const TDisplayItem curveEndItem = W.RChart1->Item(curveEnd - 1);
    W.Konfidenzband1->trigger();
    const std::vector<TDisplayItem> band = ItemsFrom(curveEnd);
    constexpr int kEdgePoints = kCurveSamples + 1;
    ASSERT_EQ(band.size(), std::size_t(4 * kEdgePoints)) << "four edges over the whole range";
    for (const TDisplayItem& it : band) {
        EXPECT_EQ(it.PenStyle, psDash);
        EXPECT_EQ(it.Color, curveEndItem.Color);
    }
    const auto edge = [&](int e, int i) { return band[std::size_t(e * kEdgePoints + i)]; };
    const int at10 = 50;
    ASSERT_NEAR(edge(0, at10).X1, 10.0, 1e-12);
    for (int e = 0; e < 4; ++e) EXPECT_TRUE(Near(edge(e, at10).Y1, kLogisticBandAt10[e], kNonlinearTolerance)) << e;
    // Around the curve everywhere: the prediction band outside the confidence band.
    for (int i = 0; i < kEdgePoints; i += 10) {
        SCOPED_TRACE(edge(0, i).X1);
        EXPECT_LT(edge(2, i).Y1, edge(0, i).Y1);
        EXPECT_LT(edge(0, i).Y1, edge(1, i).Y1);
        EXPECT_LT(edge(1, i).Y1, edge(3, i).Y1);
    }
    W.Konfidenzband1->trigger();
    EXPECT_EQ(W.RChart1->ItemCount(), curveEnd);
}

// A polynomial over the years shows the centred form its values come from, x' = (x - 1985) / 35
// for 1950 to 2020, and says where the raw coefficients cancel: a cubic over hourly timestamps.
TEST_F(Statistics, ShowsTheCentredFormAndWhereTheRawFormCancels)
{
    std::vector<double> years, values;
    for (int i = 0; i <= 14; ++i) {
        years.push_back(1950 + 5 * i);
        values.push_back(280 + 0.02 * i * i + 0.3 * ((i * 7) % 3));
    }
    EnterTable(years, values);
    W.SEPolyOrder->SetValue(2);
    Fit(W.BButPolynomial);
    W.Statistik1->trigger();
    const QString note = Window().LblNote->text();
    EXPECT_TRUE(note.contains(QString::fromUtf8("x' = (x − 1985) / 35:   y = "))) << note.toStdString();
    EXPECT_FALSE(note.contains("heben sich")) << note.toStdString();

    std::vector<double> hours, level;
    for (int i = 0; i < 200; ++i) {
        hours.push_back(1.7e9 + 3600.0 * i);
        level.push_back(3.0 + std::sin(0.0455 * i));
    }
    EnterTable(hours, level);
    W.SEPolyOrder->SetValue(3);
    Fit(W.BButPolynomial);
    EXPECT_TRUE(Window().LblNote->text().contains("k0 bis k3 heben sich")) << Window().LblNote->text().toStdString();
    Window().close();
}

// The statistics window opens right of the main window; where the screen has no room it moves
// inside the screen, and on a screen smaller than itself (a large scale factor) it shrinks to it.
TEST(PlaceBeside, StaysOnTheScreen)
{
    struct TCase {
        QRect main, avail, expected;
        QSize size;
    };
    const TCase cases[] = {
        {{0, 0, 500, 400}, {0, 0, 1920, 1080}, {500, 0, 600, 760}, {600, 760}},      // room beside
        {{900, 100, 500, 400}, {0, 0, 1280, 1024}, {680, 100, 600, 760}, {600, 760}},  // moved left
        {{0, 0, 640, 480}, {0, 0, 640, 512}, {40, 0, 600, 512}, {600, 760}},          // shrunk to the screen
        {{0, 0, 300, 300}, {0, 0, 320, 240}, {0, 0, 320, 240}, {600, 760}},            // both shrunk
        {{2000, 50, 500, 400}, {1920, 30, 1920, 1050}, {2500, 50, 600, 760}, {600, 760}},  // second screen
    };
    for (const TCase& c : cases) {
        const QRect at = PlaceBeside(c.main, c.size, c.avail);
        EXPECT_EQ(at, c.expected) << at.x() << "," << at.y() << " " << at.width() << "x" << at.height();
        EXPECT_TRUE(c.avail.contains(at));
    }
}
