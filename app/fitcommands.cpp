// The fit commands. Each one removes the previous curve, asks the engine for its model, shows the
// quality, samples the curve over the visible x range into the chart's display list, and writes
// the formula and parameter texts. An error of the engine or of the arithmetic ends a command
// where it occurs; what it did before stays done.
#include <QLabel>
#include <QScrollBar>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "app/frmmain.h"
#include "app/speedbutton.h"
#include "app/spinedit.h"
#include "chart/chart.h"
#include "common/fpguard.h"
#include "common/numtext.h"
#include "numlab/numlab.h"

namespace {

constexpr int kSamples = 200;               // line-to items of a sampled curve
constexpr double kLogStartBelow = -1000000; // start of the log curve when the axis starts at x <= 0
constexpr int kMaxPolyOrder = 10;           // the coefficient array has places 0..10

std::string N(double v) { return NumberToText(v, 1, 3); }

// f(x) under the floating-point guard: an overflow or invalid operation raises.
template <class F>
double Eval(F&& f, double x)
{
    TFloatGuard guard;
    const double y = f(x);
    guard.Check(y);
    return y;
}

}  // namespace

void TFrmMain::ShowResult(const std::string& formula, const std::string& params)
{
    LblFormula->setText(QString::fromStdString(formula));
    LblParams->setText(QString::fromStdString(params));
    LblFormula->setVisible(true);
    LblParams->setVisible(true);
}

// Steps shared by the closed-form commands around the model's own fit and curve.
template <class F>
void TFrmMain::RunClosedFormCommand(F&& fitAndDraw)
{
    DisableOptionWidgets();
    StripCurveItems();
    SBNewPnts->SetDown(false);
    fitAndDraw();
}

void TFrmMain::BButLinFitClick()
{
    RunClosedFormCommand([this] {
        double k = 0, d = 0, q = 0;
        m_stats.CalcLinFit(k, d, q);
        NLabFitQual->SetValue(q);
        NLabFitQual->SetEmpty(false);
        const auto f = [&](double x) { return k * x + d; };
        const double L = RChart1->Scale1X().RangeLow(), H = RChart1->Scale1X().RangeHigh();
        RChart1->AddMoveTo(L, Eval(f, L));
        RChart1->AddLineTo(H, Eval(f, H));
        RChart1->ShowItems();
        ShowResult("y = k*x + d", "k = " + N(k) + "    d = " + N(d));
    });
}

namespace {

// Adds the samples x_1..x_200 of [L, H] for which `keep` holds, as line-to items.
template <class Chart, class Keep, class F>
void AddSamples(Chart& chart, double L, double H, Keep&& keep, F&& f)
{
    const double s = (H - L) / kSamples;
    for (int i = 1; i <= kSamples; ++i) {
        const double x = L + i * s;
        if (keep(x)) chart.AddLineTo(x, Eval(f, x));
    }
}

}  // namespace

void TFrmMain::BButParabolFitClick()
{
    RunClosedFormCommand([this] {
        double k0 = 0, k1 = 0, k2 = 0, q = 0;
        m_stats.CalcParabolFit(k0, k1, k2, q);
        NLabFitQual->SetValue(q);
        NLabFitQual->SetEmpty(false);
        const auto f = [&](double x) { return k0 + k1 * x + k2 * x * x; };
        const double L = RChart1->Scale1X().RangeLow(), H = RChart1->Scale1X().RangeHigh();
        RChart1->AddMoveTo(L, Eval(f, L));
        AddSamples(*RChart1, L, H, [](double) { return true; }, f);
        RChart1->ShowItems();
        ShowResult("y = k0 + k1*x + k2*sqr(x)", "k0 = " + N(k0) + "    k1 = " + N(k1) + "    k2 = " + N(k2));
    });
}

void TFrmMain::BButCalcReciprLineClick()
{
    RunClosedFormCommand([this] {
        double k0 = 0, k1 = 0, q = 0;
        m_stats.CalcReciLinFit(k0, k1, q);
        NLabFitQual->SetValue(q);
        NLabFitQual->SetEmpty(false);
        const auto denom = [&](double x) { return k0 + k1 * x; };
        const auto f = [&](double x) { return 1.0 / denom(x); };
        const double L = RChart1->Scale1X().RangeLow(), H = RChart1->Scale1X().RangeHigh();
        if (Eval(denom, L) != 0.0) RChart1->AddMoveTo(L, Eval(f, L));
        AddSamples(*RChart1, L, H, [&](double x) { return Eval(denom, x) != 0.0; }, f);
        RChart1->ShowItems();
        ShowResult("y = 1/(k0 + k1*x)", "k0 = " + N(k0) + "     k1 = " + N(k1));
    });
}

void TFrmMain::BButLogFitClick()
{
    RunClosedFormCommand([this] {
        double k0 = 0, k1 = 0, q = 0;
        m_stats.CalcLogFit(k0, k1, q);
        NLabFitQual->SetValue(q);
        NLabFitQual->SetEmpty(false);
        const auto f = [&](double x) { return k0 + k1 * std::log(x); };
        const double L = RChart1->Scale1X().RangeLow(), H = RChart1->Scale1X().RangeHigh();
        if (L > 0)
            RChart1->AddMoveTo(L, Eval(f, L));
        else
            RChart1->AddMoveTo(0.0, kLogStartBelow);
        AddSamples(*RChart1, L, H, [](double x) { return x > 0; }, f);
        RChart1->ShowItems();
        ShowResult("y = k0 + k1*ln(x)", "k0 = " + N(k0) + "    k1 = " + N(k1));
    });
}

void TFrmMain::SBRecipLogClick()
{
    RunClosedFormCommand([this] {
        double k0 = 0, k1 = 0, q = 0;
        m_stats.CalcReciLogFit(k0, k1, q);
        NLabFitQual->SetValue(q);
        NLabFitQual->SetEmpty(false);
        const auto denom = [&](double x) { return k0 + k1 * std::log(x); };
        const auto f = [&](double x) { return 1.0 / denom(x); };
        const double L = RChart1->Scale1X().RangeLow(), H = RChart1->Scale1X().RangeHigh();
        if (L > 0 && Eval(denom, L) != 0.0) RChart1->AddMoveTo(L, Eval(f, L));
        AddSamples(*RChart1, L, H, [&](double x) { return x > 0 && Eval(denom, x) != 0.0; }, f);
        RChart1->ShowItems();
        ShowResult("y = 1/(k0 + k1*ln(x))", "k0 = " + N(k0) + "     k1 = " + N(k1));
    });
}

void TFrmMain::SBExpoClick()
{
    RunClosedFormCommand([this] {
        double k0 = 0, k1 = 0, q = 0;
        m_stats.CalcExponentialFit(k0, k1, q);
        NLabFitQual->SetValue(q);
        NLabFitQual->SetEmpty(false);
        const auto f = [&](double x) { return k0 * std::exp(k1 * x); };
        const double L = RChart1->Scale1X().RangeLow(), H = RChart1->Scale1X().RangeHigh();
        RChart1->AddMoveTo(L, Eval(f, L));
        AddSamples(*RChart1, L, H, [](double) { return true; }, f);
        RChart1->ShowItems();
        ShowResult("y = k0*exp(k1*x)", "k0 = " + N(k0) + "    k1 = " + N(k1));
    });
}

void TFrmMain::BButPolynomialClick()
{
    // The other option widgets off, the order widgets on. The order edit is never switched off on
    // the way, or typing into it would lose the focus at the first keystroke.
    SetOptionWidgets(true, false);
    StripCurveItems();
    SBNewPnts->SetDown(false);

    int m = SEPolyOrder->Value();
    // A typed order outside the edit's limits (it clamps typed text only when it loses the focus)
    // is taken as the edit will clamp it; the engine never sees more than 10.
    if (m < 0 || m > SEPolyOrder->MaxValue()) m = SEPolyOrder->CheckValue(m);
    m = std::clamp(m, 0, kMaxPolyOrder);

    std::array<double, kMaxPolyOrder + 1> c{};
    double q = 0;
    bool truncated = false;
    if (!m_stats.CalcPolynomialFit(static_cast<std::uint8_t>(m), c, q, truncated)) return;
    NLabFitQual->SetValue(q);
    NLabFitQual->SetEmpty(false);

    const auto p = [&](double x) {
        double sum = 0, power = 1;
        for (int j = 0; j <= m; ++j) {
            sum += c[j] * power;
            // The power beyond the last term is not needed; building it could overflow alone.
            if (j < m) power *= x;
        }
        return sum;
    };
    const double L = RChart1->Scale1X().RangeLow(), H = RChart1->Scale1X().RangeHigh();
    const double x1 = L + (H - L) / kSamples;
    RChart1->AddMoveTo(x1, Eval(p, x1));
    AddSamples(*RChart1, L, H, [](double) { return true; }, p);
    RChart1->ShowItems();

    std::string formula = "y = k0+k1*x";
    for (int j = 2; j <= m; ++j) formula += "+k" + std::to_string(j) + "*x^" + std::to_string(j) + " ";
    std::string params;
    for (int j = 0; j <= m; ++j) params += "k" + std::to_string(j) + "=" + N(c[j]) + "  ";
    ShowResult(formula, params);
}

void TFrmMain::SEPolyOrderChange()
{
    BButPolynomialClick();
}

void TFrmMain::BButSplineClick()
{
    SetOptionWidgets(false, true);
    DrawSplineCurve();
    LblFormula->setVisible(false);
    LblParams->setVisible(false);
}

void TFrmMain::DrawSplineCurve()
{
    StripCurveItems();
    SBNewPnts->SetDown(false);
    const double L = RChart1->Scale1X().RangeLow(), H = RChart1->Scale1X().RangeHigh();
    const double s = (H - L) / kSamples;
    const double x0 = m_stats.MinX();
    m_stats.SetSplineSmoothing(SBarSmoothSpline->value() / 1000.0);
    double q = 0;
    bool valid = false;
    const double y0 = m_stats.SplineValue(x0, q, valid);
    NLabFitQual->SetValue(q);
    NLabFitQual->SetEmpty(false);
    RChart1->AddMoveTo(x0, y0);
    for (int i = 1; i <= kSamples; ++i) {
        const double x = L + i * s;
        const double y = m_stats.SplineValue(x, q, valid);
        if (valid) RChart1->AddLineTo(x, y);
    }
    RChart1->ShowItems();
}

void TFrmMain::SBarSmoothSplineChange()
{
    DrawSplineCurve();
}
