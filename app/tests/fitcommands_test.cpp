// The fit commands: each model's curve, captions and quality, the order edit and the smoothing
// bar, failures, and the result on the clipboard.
#include <cstdio>
#include <memory>

#include "app/statisticswindow.h"
#include "mainwindow.h"

TEST_F(MainWindow, EachFitCommandGivesItsCurveCaptionsAndQuality)
{
    struct Case {
        const char* name;
        TSpeedButton* TFrmMain::*button;
        std::function<double(double)> model;
        const char* formula;
        std::string params;
        std::size_t curveItems;
    };
    const double xs[] = {1, 2, 3, 4, 5, 6};
    const std::vector<Case> cases = {
        {"Lin", &TFrmMain::BButLinFit, [](double x) { return 2 * x - 0.5; }, "y = k*x + d",
         "k = 2.000    d = -0.500", 2},
        {"Parabolic", &TFrmMain::BButParabolFit, [](double x) { return 1 + 2 * x + 0.5 * x * x; },
         "y = k0 + k1*x + k2*sqr(x)", "k0 = 1.000    k1 = 2.000    k2 = 0.500", 201},
        {"Reciproc", &TFrmMain::BButCalcReciprLine, [](double x) { return 1 / (0.5 + 0.25 * x); },
         "y = 1/(k0 + k1*x)", "k0 = 0.500     k1 = 0.250", 201},
        {"Log", &TFrmMain::BButLogFit, [](double x) { return 3 + 2 * std::log(x); }, "y = k0 + k1*ln(x)",
         "k0 = 3.000    k1 = 2.000", 201},
        {"RecipLog", &TFrmMain::SBRecipLog, [](double x) { return 1 / (1 + 0.5 * std::log(x)); },
         "y = 1/(k0 + k1*ln(x))", "k0 = 1.000     k1 = 0.500", 200},
        {"Expon", &TFrmMain::SBExpo, [](double x) { return 2 * std::exp(0.3 * x); }, "y = k0*exp(k1*x)",
         "k0 = 2.000    k1 = 0.300", 201},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::pair<double, double>> pts;
        for (double x : xs) pts.push_back({x, c.model(x)});
        Click(W.SBClear);
        EnterTableKeepingTheAxes(pts);
        Click(W.*c.button);
        ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
        EXPECT_EQ(Formula(), c.formula);
        EXPECT_EQ(Params(), c.params);
        EXPECT_NEAR(W.NLabFitQual->Value(), 1.0, 1e-9);
        const std::vector<TProbeItem> curve = Curve();
        ASSERT_EQ(curve.size(), c.curveItems);
        for (const TProbeItem& it : curve) {
            if (it.X <= 0 && c.curveItems != 2 && it.Kind == ikMoveTo) continue;  // the log start below the axis
            EXPECT_NEAR(it.Y, c.model(it.X), 1e-9 * (1 + std::abs(it.Y))) << it.X;
        }
        EXPECT_TRUE((W.*c.button)->Down());
        EXPECT_EQ(Marks(), 6);
    }
}

TEST_F(MainWindow, LogAndRecipLogFromAnAxisStartingAtZero)
{
    EnterTable({{1, 3}, {2, 3 + 2 * std::log(2.0)}, {4, 3 + 2 * std::log(4.0)}});
    Click(W.BButLogFit);
    std::vector<TProbeItem> c = Curve();
    ASSERT_EQ(c.size(), 201u);
    EXPECT_EQ(c[0].Kind, ikMoveTo);
    EXPECT_EQ(c[0].X, 0.0);
    EXPECT_EQ(c[0].Y, -1000000.0);
    EXPECT_DOUBLE_EQ(c[1].X, 0.05);

    Click(W.SBRecipLog);
    c = Curve();
    ASSERT_EQ(c.size(), 200u) << "no start point at x = 0";
    EXPECT_EQ(c[0].Kind, ikLineTo);
}

TEST_F(MainWindow, PolynomialFollowsTheOrderEdit)
{
    EnterTableKeepingTheAxes({{0, 1}, {1, 2}, {2, 9}, {3, 28}, {4, 65}});   // 1 + x^3
    Click(W.BButPolynomial);
    EXPECT_TRUE(W.SEPolyOrder->isEnabled());
    EXPECT_TRUE(W.LblPolyOrder->isEnabled());
    EXPECT_FALSE(W.SBarSmoothSpline->isEnabled());
    EXPECT_EQ(Formula(), "y = k0+k1*x");
    std::vector<TProbeItem> c = Curve();
    ASSERT_EQ(c.size(), 201u);
    EXPECT_DOUBLE_EQ(c[0].X, 0.05) << "the polynomial starts one step right of the axis start";
    EXPECT_EQ(c[0].X, c[1].X);

    W.SEPolyOrder->stepBy(2);                 // order 3: the change reruns the command
    EXPECT_EQ(Formula(), "y = k0+k1*x+k2*x^2 +k3*x^3 ");
    std::array<double, 11> k{};
    double q = 0;
    bool truncated = false;
    ASSERT_TRUE(W.Stats1().CalcPolynomialFit(3, k, q, truncated));
    EXPECT_EQ(Params(), "k0=" + NumberToText(k[0], 1, 3) + "  k1=" + NumberToText(k[1], 1, 3) + "  k2=" +
                            NumberToText(k[2], 1, 3) + "  k3=" + NumberToText(k[3], 1, 3) + "  ");
    EXPECT_EQ(NumberToText(k[3], 1, 3), "1.000");
    EXPECT_NEAR(W.NLabFitQual->Value(), 1.0, 1e-12);
    c = Curve();
    ASSERT_EQ(c.size(), 201u);
    EXPECT_NEAR(c.back().Y, 1001.0, 1e-6);
}

TEST_F(MainWindow, TypedOrderAboveTenNeverReachesTheEngine)
{
    EnterTable({{0, 1}, {1, 2}, {2, 9}, {3, 28}, {4, 65}, {5, 1}, {6, 2}, {7, 3}, {8, 4}, {9, 5}, {10, 6}, {11, 7}});
    Click(W.BButPolynomial);
    W.SEPolyOrder->setFocus();
    QTest::keyClick(W.SEPolyOrder, Qt::Key_End);
    for (const char* t : {"9", "9", "9"}) QTest::keyClicks(W.SEPolyOrder, t);   // "1999"
    EXPECT_TRUE(Boxes.empty());
    EXPECT_EQ(Formula(), "y = k0+k1*x+k2*x^2 +k3*x^3 +k4*x^4 +k5*x^5 +k6*x^6 +k7*x^7 +k8*x^8 +k9*x^9 ")
        << "the order is taken as the edit's maximum, 9";
    for (int i = 0; i < 4; ++i) QTest::keyClick(W.SEPolyOrder, Qt::Key_Backspace);
    QTest::keyClicks(W.SEPolyOrder, "-3");
    EXPECT_EQ(W.SEPolyOrder->Text(), "-3");
    EXPECT_EQ(Formula(), "y = k0+k1*x") << "a negative order is taken as the minimum";
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(MainWindow, OrderLimitFollowsThePointCount)
{
    Click(W.SBNewPnts);
    ClickChart(100, 100);
    EXPECT_EQ(W.SEPolyOrder->MaxValue(), 0);
    EXPECT_EQ(W.SEPolyOrder->Text(), "1") << "the minimum wins";
    EXPECT_TRUE(W.SBNewPnts->Down()) << "the first point does not end entry mode";
    for (int i = 2; i <= 9; ++i) ClickChart(100 + 10 * i, 100 + 5 * i);
    EXPECT_EQ(W.SEPolyOrder->MaxValue(), 8);
    ClickChart(300, 300);
    EXPECT_EQ(W.Stats1().PointCount(), 10);
    EXPECT_EQ(W.SEPolyOrder->MaxValue(), 8);

    // Order 5 chosen, then new points: lowering the order reruns the polynomial command, which
    // ends entry mode.
    W.SEPolyOrder->SetValue(5);
    Click(W.SBClear);
    Click(W.SBNewPnts);
    ClickChart(100, 100);
    EXPECT_EQ(W.SEPolyOrder->Text(), "1");
    EXPECT_FALSE(W.SBNewPnts->Down());
    EXPECT_EQ(Formula(), "y = k0+k1*x");
    EXPECT_TRUE(W.LblFormula->isVisible());
    ClickChart(150, 120);
    EXPECT_EQ(W.Stats1().PointCount(), 1);
}

TEST_F(MainWindow, SplineWithTheScrollBarAtZeroPassesThroughEveryPoint)
{
    const std::vector<std::pair<double, double>> pts = {{1, 2}, {2, 5}, {3, 3}, {5, 7}, {7, 4}, {9, 8}};
    EnterTable(pts);
    Click(W.BButSpline);
    ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
    EXPECT_FALSE(W.LblFormula->isVisible());
    EXPECT_FALSE(W.LblParams->isVisible());
    EXPECT_TRUE(W.LblSmoothSpline->isEnabled());
    std::vector<TProbeItem> c = Curve();
    ASSERT_FALSE(c.empty());
    EXPECT_EQ(c[0].Kind, ikMoveTo);
    EXPECT_EQ(c[0].X, 1.0);

    W.SBarSmoothSpline->setValue(0);
    c = Curve();
    for (auto [x, y] : pts) {
        bool valid = false;
        double q = 0;
        EXPECT_NEAR(W.Stats1().SplineValue(x, q, valid), y, 1e-9) << x;
    }
    // The samples at x = 2, 3, 5, 7, 9 (every 20th) lie on the points.
    for (const TProbeItem& it : c) {
        for (auto [x, y] : pts) {
            if (std::abs(it.X - x) < 1e-12) {
                EXPECT_NEAR(it.Y, y, 1e-9) << x;
            }
        }
    }
    EXPECT_LE(c.back().X, 9.0 + 1e-12);
    EXPECT_FALSE(W.LblFormula->isVisible()) << "the scroll bar only redraws the curve";
}

TEST_F(MainWindow, FailuresLeaveWhatWasDoneBefore)
{
    EnterTable({{1, 1}, {2, 3}, {3, 5}});
    Click(W.BButLinFit);
    EnterTable({{1, 1}});
    EXPECT_FALSE(W.LblFormula->isVisible()) << "the new table has no fit yet";
    Click(W.BButLinFit);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "CalcLinFit: not enough data points.");
    EXPECT_EQ(Boxes[0].Icon, mbiError);
    EXPECT_EQ(Boxes[0].Caption, "app_tests");
    EXPECT_EQ(Params(), "");
    EXPECT_FALSE(W.SBNewPnts->Down());
    EXPECT_EQ(Marks(), 1) << "the table's one point replaced the marks";

    // A failing fit right after a good one: the old curve is gone, the old texts stay.
    Boxes.clear();
    Click(W.SBClear);
    EnterTable({{1, 1}, {2, -3}, {3, 5}});
    Click(W.BButLinFit);
    const std::string linParams = Params();
    ASSERT_EQ(Curve().size(), 2u);
    Click(W.SBExpo);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_TRUE(Curve().empty()) << "the old curve was removed before the fit failed";
    EXPECT_EQ(Params(), linParams);
    EXPECT_TRUE(W.LblFormula->isVisible());

    Boxes.clear();
    EnterTable({{2, 1}, {2, 3}});
    Click(W.BButSpline);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "PenalizedCubicSpline: two or more x-values are identical.");
}

TEST_F(MainWindow, OverflowWhileSamplingKeepsTheQualityAndTheSamplesSoFar)
{
    EnterTableKeepingTheAxes({{1, std::exp(100.0)}, {2, std::exp(200.0)}, {3, std::exp(300.0)}});   // k1 = 100
    Click(W.SBExpo);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "Gleitkommaüberlauf.");
    EXPECT_NEAR(W.NLabFitQual->Value(), 1.0, 1e-9) << "the quality was shown before the curve";
    const std::vector<TProbeItem> c = Curve();
    ASSERT_FALSE(c.empty());
    EXPECT_EQ(c[0].Kind, ikMoveTo);
    EXPECT_LT(c.back().X, 7.1) << "e^(100 x) leaves the double range above x = 7.09";
    for (const TProbeItem& it : c) EXPECT_TRUE(std::isfinite(it.Y));
    EXPECT_FALSE(W.LblFormula->isVisible()) << "the texts of the failed command are not written";
}

TEST_F(MainWindow, ScrollBarBeforeAnyCommandReportsTooFewPoints)
{
    W.SBarSmoothSpline->setValue(500);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "CalcLinFit: not enough data points.");
}

// "Ergebnis an Clipboard": with no fit a box says so; after one, the result pastes into a
// spreadsheet as rows of a name and a value, with every digit and the locale's separator.
TEST_F(MainWindow, ResultGoesToTheClipboard)
{
    QApplication::clipboard()->setText("unchanged");
    W.ErgebnisAnClipboard->trigger();
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "Noch kein Ergebnis: erst Punkte eingeben und eine Kurve anpassen");
    EXPECT_EQ(QApplication::clipboard()->text(), "unchanged");

    EnterTable({{1, 2}, {2, 4.5}, {3, 6}, {4, 8.25}});
    Click(W.BButLinFit);
    W.ErgebnisAnClipboard->trigger();
    double k = 0, d = 0, quality = 0;
    W.Stats1().CalcLinFit(k, d, quality);
    const QStringList rows = QApplication::clipboard()->text().split("\r\n", Qt::SkipEmptyParts);
    ASSERT_GE(rows.size(), 6);  // the parameter table and the statistics follow
    EXPECT_EQ(rows[0], "Modell\tGerade");
    EXPECT_EQ(rows[1], "Formel\ty = k*x + d");
    const struct {
        int row;
        const char* name;
        double value;
    } values[] = {{2, "k", k}, {3, "d", d}, {4, "Anpassungsgrad", quality}, {5, "Punkte", 4}};
    for (const auto& v : values) {
        const QStringList cells = rows[v.row].split('\t');
        ASSERT_EQ(cells.size(), 2);
        EXPECT_EQ(cells[0], v.name);
        EXPECT_FALSE(cells[1].contains('.')) << "the locale's separator is a comma";
        EXPECT_EQ(std::stod(ReplaceComma(cells[1].toStdString())), v.value) << v.name;
    }
}

// A polynomial that the data do not determine says which coefficients are open; one that they
// determine says nothing.
TEST_F(MainWindow, TruncatedPolynomialNamesTheOpenCoefficients)
{
    const struct {
        std::vector<std::pair<double, double>> points;
        int order;
        std::string box;   // empty: none
    } cases[] = {
        {{{1, 1}, {1, 2}, {2, 3}, {2, 5}}, 3,
         "k2 bis k3 sind durch die Daten nicht bestimmt (nur 2 verschiedene x-Werte); "
         "gezeigt wird die Lösung mit der kleinsten Norm"},
        {{{2, 1}, {2, 3}, {2, 4}}, 1,
         "k1 ist durch die Daten nicht bestimmt (nur 1 verschiedener x-Wert); "
         "gezeigt wird die Lösung mit der kleinsten Norm"},
        {{{2, 1}, {2, 3}, {2, 4}}, 2,
         "k1 bis k2 sind durch die Daten nicht bestimmt (nur 1 verschiedener x-Wert); "
         "gezeigt wird die Lösung mit der kleinsten Norm"},
        {{{1, 1}, {2, 2}, {3, 3}, {4, 5}}, 3, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box);
        EnterTable(c.points);
        W.SEPolyOrder->SetValue(c.order);
        Boxes.clear();
        Click(W.BButPolynomial);
        if (c.box.empty()) {
            EXPECT_TRUE(Boxes.empty());
        } else {
            ASSERT_EQ(Boxes.size(), 1u);
            EXPECT_EQ(Boxes[0].Text, c.box);
        }
    }
}

// The order edit keeps the focus while the user clicks a speed button; the command that then
// disables the edit leaves the state of its own model, not that of the polynomial.
TEST_F(MainWindow, CommandsAfterAnOrderTypedAwayLeaveTheirOwnState)
{
    EnterTable({{1, 1}, {2, 3}, {3, 2}, {4, 5}});
    Click(W.BButPolynomial);
    QApplication::setActiveWindow(&W);
    W.SEPolyOrder->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(W.SEPolyOrder->hasFocus());
    QTest::keyClick(W.SEPolyOrder, Qt::Key_End);
    QTest::keyClick(W.SEPolyOrder, Qt::Key_Backspace);   // the text is empty now
    Click(W.BButSpline);
    EXPECT_TRUE(W.SBarSmoothSpline->isEnabled());
    EXPECT_TRUE(W.LblSmoothSpline->isEnabled());
    EXPECT_FALSE(W.SEPolyOrder->isEnabled());
    EXPECT_FALSE(W.LblPolyOrder->isEnabled());
    EXPECT_EQ(W.SEPolyOrder->Text(), "1") << "the typed text is clamped as the focus leaves";

    Click(W.BButPolynomial);
    W.SEPolyOrder->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(W.SEPolyOrder->hasFocus());
    QTest::keyClick(W.SEPolyOrder, Qt::Key_Backspace);
    Click(W.SBClear);
    EXPECT_TRUE(Items(*W.RChart1).empty()) << "no curve is left after Grafik Clear";
    EXPECT_FALSE(W.LblFormula->isVisible());
    EXPECT_FALSE(W.SEPolyOrder->isEnabled());
    EXPECT_TRUE(Boxes.empty());
}

// Every fit command draws the engine's sampled curve of its model over the x axis, to the bit:
// the window keeps no evaluator of its own.
TEST_F(MainWindow, EveryCurveIsTheEnginesSampledCurve)
{
    EnterTable({{0.5, 1.5}, {1, 2.5}, {2, 2.25}, {3, 4}, {5, 4.5}, {8, 7}});
    W.RChart1->Scale1X().SetRangeLow(-2);   // a range where the log models leave samples out
    W.SEPolyOrder->SetValue(4);
    const std::vector<std::pair<TSpeedButton*, TModel>> commands = {
        {W.BButLinFit, {mkLine}},           {W.BButParabolFit, {mkParabola}}, {W.BButCalcReciprLine, {mkReciprocal}},
        {W.BButLogFit, {mkLog}},            {W.SBRecipLog, {mkReciprocalLog}}, {W.SBExpo, {mkExp}},
        {W.BButPolynomial, {mkPoly, 4}},    {W.BButSpline, {mkSpline, 0, 1.0}},
    };
    for (const auto& [button, model] : commands) {
        SCOPED_TRACE(FormulaText(model));
        Click(button);
        ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
        TFitResult fit;
        ASSERT_TRUE(CalcModelFit(W.Stats1(), model, fit));
        const TSampledCurve expected =
            SampleCurve(fit, W.RChart1->Scale1X().RangeLow(), W.RChart1->Scale1X().RangeHigh(), kCurveSamples);
        const std::vector<TProbeItem> curve = Curve();
        ASSERT_FALSE(expected.Fault);
        ASSERT_EQ(curve.size(), expected.Points.size());
        for (std::size_t i = 0; i < curve.size(); ++i) {
            EXPECT_EQ(curve[i].Kind, expected.Points[i].MoveTo ? ikMoveTo : ikLineTo);
            EXPECT_EQ(std::bit_cast<std::uint64_t>(curve[i].X), std::bit_cast<std::uint64_t>(expected.Points[i].X));
            EXPECT_EQ(std::bit_cast<std::uint64_t>(curve[i].Y), std::bit_cast<std::uint64_t>(expected.Points[i].Y));
        }
    }
}

// "Anpassungsgrad" shows a figure exactly while the curve it belongs to is drawn.
TEST_F(MainWindow, QualityShowsOnlyWhileItsCurveIsDrawn)
{
    const auto shown = [&] { return !W.NLabFitQual->Empty() && !W.NLabFitQual->DisplayedText().empty(); };
    EXPECT_FALSE(shown()) << "at start";
    EnterTable({{1, 1}, {2, 3}, {3, 4}});
    const struct {
        const char* name;
        std::function<void()> removeCurve;
    } removals[] = {
        {"entry mode on", [&] { Click(W.SBNewPnts); }},
        {"Grafik Clear", [&] { Click(W.SBClear); }},
        {"take-over", [&] { EnterTable({{1, 2}, {2, 2}, {3, 5}}); }},
        {"failed fit", [&] { Click(W.SBExpo); }},   // y = 0 has no logarithm
    };
    for (const auto& r : removals) {
        SCOPED_TRACE(r.name);
        if (W.Stats1().PointCount() == 0) EnterTable({{1, 1}, {2, 3}, {3, 4}});
        Click(W.BButLinFit);
        ASSERT_FALSE(Curve().empty());
        EXPECT_TRUE(shown());
        if (std::string(r.name) == "failed fit") W.Stats1().AddPoint(4, 0);
        r.removeCurve();
        EXPECT_TRUE(Curve().empty());
        EXPECT_FALSE(shown());
        Boxes.clear();
    }
    // Leaving entry mode removes nothing and shows nothing.
    EnterTable({{1, 1}, {2, 3}, {3, 4}});
    Click(W.SBNewPnts);
    Click(W.SBNewPnts);
    EXPECT_FALSE(shown());
}

// Over a dense cloud of marks in its own colour the curve stays in sight: the specified green on
// a stroke of the background colour, two pixels either side. Sparse marks keep the plain line.
TEST_F(MainWindow, CurveStaysVisibleOverDenseMarks)
{
    const TRChart& chart = *W.RChart1;
    const int dense = chart.AreaWidth() * chart.AreaHeight() / 100 + 1;
    const QRgb green = 0xFF008000, white = 0xFFFFFFFF;
    for (const int n : {20, dense}) {
        SCOPED_TRACE(n);
        // A band of points about y = x / 2 + 2 that fills the chart area's middle.
        std::vector<std::pair<double, double>> pts;
        for (int i = 0; i < n; ++i) {
            const double x = 10.0 * (i + 0.5) / n;
            pts.push_back({x, x / 2 + 2 + 1.5 * std::sin(i * 12.9898)});
        }
        EnterTable(pts);
        Click(W.BButLinFit);
        ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
        double k = 0, d = 0, q = 0;
        W.Stats1().CalcLinFit(k, d, q);
        QApplication::processEvents();
        const QImage img = chart.ScreenImage().convertToFormat(QImage::Format_RGB32);
        int lineColumns = 0, haloColumns = 0, columns = 0;
        for (double x = 1; x <= 9; x += 0.25) {
            int px = 0, py = 0;
            chart.WorldToMouse(1, x, k * x + d, px, py);
            ++columns;
            // The line's pixel in this column lies within one row of the rounded place.
            bool line = false, halo = false;
            for (int y = py - 1; y <= py + 1; ++y) {
                if (img.pixel(px, y) != green) continue;
                line = true;
                halo = halo || (img.pixel(px, y - 2) == white && img.pixel(px, y + 2) == white);
            }
            lineColumns += line;
            haloColumns += halo;
        }
        EXPECT_EQ(lineColumns, columns) << "the line keeps the data colour";
        if (n == dense) {
            EXPECT_EQ(haloColumns, columns) << "background on both sides of the line";
            EXPECT_EQ(Curve().size(), 4u) << "the wide stroke, then the line";
        } else {
            EXPECT_EQ(Curve().size(), 2u) << "few marks: the line alone";
        }
    }
    Click(W.SBNewPnts);
    EXPECT_TRUE(Curve().empty()) << "both strokes go with the curve";
    EnterByClicks({{120, 120}});
    EXPECT_EQ(Items(*W.RChart1).back().Kind, ikMark);
    EXPECT_EQ(W.RChart1->DataColor(), clGreen) << "marks entered later keep the data colour";
}

// "Auto" beside the smoothing bar fits the spline with the smoothing generalised cross-validation
// chooses and moves the bar to its nearest position; tied x are smoothed, not refused.
TEST_F(MainWindow, AutoSetsTheBarToTheCrossValidatedSmoothing)
{
    std::vector<std::pair<double, double>> pts;
    for (int i = 0; i < 30; ++i) pts.emplace_back(i % 10, std::sin(0.6 * (i % 10)) + 0.3 * ((i * 7) % 4));
    EXPECT_FALSE(W.BtnSplineAuto->isEnabled()) << "an option of the spline, like the bar";
    EnterTable(pts);
    Click(W.BButSpline);
    ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
    ASSERT_TRUE(W.BtnSplineAuto->isEnabled());
    Click(W.BtnSplineAuto);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !W.SplineBusy(); }, 60000)) << "the search runs on the worker";
    ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
    TCurveFit reference;
    for (auto [x, y] : pts) reference.AddPoint(x, y);
    const double chosen = reference.ChooseSplineSmoothingByGcv();
    EXPECT_EQ(W.Stats1().SplineSmoothing(), chosen);
    EXPECT_EQ(W.SBarSmoothSpline->value(), int(std::lround(chosen * 1000.0)));
    const std::vector<TProbeItem> c = Curve();
    ASSERT_FALSE(c.empty());
    bool valid = false;
    double q = 0.0;
    EXPECT_EQ(c[0].Y, reference.SplineValue(c[0].X, q, valid));
    EXPECT_EQ(W.NLabFitQual->Value(), q);
}

namespace {

// Enough noisy points that the search of "Auto" takes a while (a few tenths of a second at
// least), taken over through the table as a user's file would be.
class AutoSearch : public MainWindow {
protected:
    static constexpr int kPoints = 100000;
    static constexpr std::size_t kStrokes = 2;  // over marks this dense a curve goes on a halo of itself
    AutoSearch()
    {
        std::vector<double> x, y;
        for (std::int64_t i = 0; i < kPoints; ++i) {
            x.push_back(0.05 + 9.9 * double((i * 7919) % kPoints) / kPoints);
            y.push_back(3.0 + std::sin(x.back()) + 0.3 * (double((i * 104729) % 1000) / 1000.0 - 0.5));
        }
        W.WerteTabelleGrid->Model().SetNumbers(x, y);
        Click(W.WerteUebernehmenBtn);
        Click(W.BButSpline);
        m_spline = Curve();
    }
    bool WaitForTheSearch() { return QTest::qWaitFor([&] { return !W.SplineBusy(); }, 120000); }

    std::vector<TProbeItem> m_spline;  // the curve of the bar's factor before "Auto"
};

}  // namespace

// "Auto" searches on the worker: the click returns at once, the window goes on taking events
// (the statistics window opens without stopping the search), and the result lands as a position
// of the bar does: the curve of the chosen factor, the bar at its nearest position, the quality,
// and the statistics window following.
TEST_F(AutoSearch, RunsOnTheWorkerWhileTheWindowGoesOn)
{
    Click(W.BtnSplineAuto);
    ASSERT_TRUE(W.SplineBusy()) << "the click returned before the search ended";
    EXPECT_EQ(W.cursor().shape(), Qt::BusyCursor);
    EXPECT_TRUE(Curve().empty()) << "the old curve goes at once";
    EXPECT_TRUE(W.NLabFitQual->Empty());
    W.Statistik1->trigger();
    ASSERT_NE(W.StatisticsWindow, nullptr);
    EXPECT_TRUE(W.SplineBusy()) << "showing the statistics needs no engine while no fit is shown";
    EXPECT_EQ(W.StatisticsWindow->LblModel->text(), "Keine Anpassung gezeigt");
    int ticks = 0, ticksWhileBusy = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        ticksWhileBusy += W.SplineBusy();
    });
    timer.start(1);
    ASSERT_TRUE(WaitForTheSearch());
    timer.stop();
    EXPECT_GT(ticksWhileBusy, 0) << "the event loop ran during the search (" << ticks << " ticks)";
    ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
    EXPECT_NE(W.cursor().shape(), Qt::BusyCursor) << "the busy cursor went with the search";

    TCurveFit reference;
    const double* xs = W.Stats1().PointTable().ColumnData(1);
    const double* ys = W.Stats1().PointTable().ColumnData(2);
    for (int i = 0; i < W.Stats1().PointCount(); ++i) reference.AddPoint(xs[i], ys[i]);
    TModel automatic{mkSpline};
    automatic.SplineAuto = true;
    TFitResult expected;
    ASSERT_TRUE(CalcModelFit(reference, automatic, expected));
    ASSERT_TRUE(W.LastFit());
    EXPECT_EQ(W.LastFit()->Coefficients, expected.Coefficients) << "factor, df and GCV score";
    EXPECT_EQ(W.SBarSmoothSpline->value(), int(std::lround(expected.Coefficients[0] * 1000.0)));
    EXPECT_EQ(W.NLabFitQual->Value(), expected.Quality);
    const TSampledCurve curve =
        SampleCurve(expected, W.RChart1->Scale1X().RangeLow(), W.RChart1->Scale1X().RangeHigh(), kCurveSamples);
    const std::vector<TProbeItem> drawn = Curve();
    ASSERT_EQ(drawn.size(), kStrokes * curve.Points.size());
    for (std::size_t i = 0; i < drawn.size(); ++i) EXPECT_EQ(drawn[i].Y, curve.Points[i % curve.Points.size()].Y) << i;
    // The statistics window and the clipboard name the factor chosen, not the bar's before.
    char factor[32];
    std::snprintf(factor, sizeof factor, "%.7g", expected.Coefficients[0]);
    EXPECT_EQ(W.StatisticsWindow->LblModel->text(),
              QString::fromUtf8("Glättungsspline, Glättungsfaktor ") + QString(factor).replace('.', ','));
    W.StatisticsWindow->close();
    W.ErgebnisAnClipboard->trigger();
    const QStringList rows = QApplication::clipboard()->text().split("\r\n");
    ASSERT_GE(rows.size(), 2);
    EXPECT_TRUE(rows[1].startsWith(QString::fromUtf8("Glättungsfaktor\t0,"))) << rows[1].toStdString();
    EXPECT_EQ(std::stod(ReplaceComma(rows[1].section('\t', 1).toStdString())), expected.Coefficients[0]);
}

// Whatever needs the engine while the search runs stops it, and nothing of it comes back later:
// a new fit, new points, clearing the chart, the statistics of a fit shown by another command.
TEST_F(AutoSearch, WhatComesNextSupersedesIt)
{
    struct Step {
        const char* name;
        std::function<void()> act;
        std::size_t curveItems;  // after the step, and still after a wait
        int barMove;             // of the bar's value by the step
    };
    const std::vector<Step> steps = {
        {"a new fit", [&] { Click(W.BButLinFit); }, kStrokes * 2, 0},
        {"the bar moved", [&] { W.SBarSmoothSpline->setValue(W.SBarSmoothSpline->value() - 10); }, m_spline.size(), -10},
        {"points entered", [&] { EnterByClicks({{120, 120}}); }, 0, 0},
        {"the chart cleared", [&] { Click(W.SBClear); }, 0, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        if (!W.BtnSplineAuto->isEnabled()) Click(W.BButSpline);
        const int bar = W.SBarSmoothSpline->value();
        Click(W.BtnSplineAuto);
        ASSERT_TRUE(W.SplineBusy());
        s.act();
        EXPECT_FALSE(W.SplineBusy()) << "stopped at once";
        EXPECT_NE(W.cursor().shape(), Qt::BusyCursor);
        EXPECT_EQ(Curve().size(), s.curveItems);
        QTest::qWait(300);
        EXPECT_EQ(Curve().size(), s.curveItems) << "no late result";
        EXPECT_EQ(W.SBarSmoothSpline->value(), bar + s.barMove) << "the search moved no bar";
        if (W.SBNewPnts->Down()) Click(W.SBNewPnts);
        ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
    }
}

// A window closed while its search runs stops it and goes without waiting for it to end.
TEST_F(AutoSearch, ClosingTheWindowEndsTheSearch)
{
    QTemporaryDir dir;
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());  // closing writes the points to cfit.asc here
    Click(W.BtnSplineAuto);
    ASSERT_TRUE(W.SplineBusy());
    EXPECT_TRUE(W.close());
    EXPECT_FALSE(W.SplineBusy());
    QTest::qWait(100);
    EXPECT_TRUE(Curve().empty());
    QDir::setCurrent(old);
    // A window destroyed in the middle of a search (the fixture's end) is the same case; here a
    // second window goes that way.
    auto other = std::make_unique<TFrmMain>();
    other->Stats1().AddPoint(1, 1);
    for (int i = 2; i < 20000; ++i) other->Stats1().AddPoint(i, std::sin(i));
    other->BtnSplineAutoClick();
    EXPECT_TRUE(other->SplineBusy());
    other.reset();
}
