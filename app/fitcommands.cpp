// The fit commands. Each one removes the previous curve, has the engine fit its model, shows the
// quality, samples the curve over the visible x range into the chart's display list, and writes
// the formula and parameter texts; the models themselves (fit, values, texts, sampling) are the
// engine's (curvefit/models.h). An error of the engine or of the arithmetic ends a command where
// it occurs; what it did before stays done.
#include <QCoreApplication>
#include <QLabel>
#include <QScrollBar>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <exception>
#include <stdexcept>

#include "app/errortext.h"
#include "app/frmmain.h"
#include "app/speedbutton.h"
#include "app/spinedit.h"
#include "chart/chart.h"
#include "curvefit/models.h"
#include "numlab/numlab.h"
#include "platform/msgbox.h"

void TFrmMain::ShowResult(const std::string& formula, const std::string& params)
{
    LblFormula->setText(QString::fromStdString(formula));
    SetParamsText(QString::fromStdString(params));
    LblFormula->setVisible(true);
    LblParams->setVisible(true);
}

// What a truncated polynomial means: with r distinct x the data fix the coefficients up to
// x^(r-1) only; the curve shown is the smallest-norm choice of the others.
std::string TFrmMain::TruncationText(const TFitResult& fit) const
{
    const int cols = int(fit.Coefficients.size()), r = DistinctX(m_stats);
    const QString distinct = r == 1 ? tr("nur 1 verschiedener x-Wert") : tr("nur %1 verschiedene x-Werte").arg(r);
    QString text;
    if (r >= cols)
        text = tr("Die x-Werte liegen zu dicht beieinander, um jeden Koeffizienten zu bestimmen; "
                  "gezeigt wird die Lösung mit der kleinsten Norm");
    else if (r + 1 == cols)
        text = tr("k%1 ist durch die Daten nicht bestimmt (%2); gezeigt wird die Lösung mit der kleinsten Norm")
                   .arg(r)
                   .arg(distinct);
    else
        text = tr("k%1 bis k%2 sind durch die Daten nicht bestimmt (%3); gezeigt wird die Lösung mit der "
                  "kleinsten Norm")
                   .arg(r)
                   .arg(cols - 1)
                   .arg(distinct);
    return text.toStdString();
}

namespace {

// Why a nonlinear fit stopped, in the window's language.
QString FailureText(const TFitResult& fit)
{
    const QString first = fit.FailureArgs.empty() ? QString() : QString::fromStdString(fit.FailureArgs.front());
    const QString fault = fit.FailureFault ? ErrorTextOf(*fit.FailureFault) : QString();
    switch (fit.FailureStop) {
    case nsIterationLimit:
        return QCoreApplication::translate("FitFailure", "die Iterationsgrenze ist erreicht (%1 Auswertungen)").arg(first);
    case nsNoEffect: {
        QStringList names;
        for (const std::string& name : fit.FailureArgs) names << QString::fromStdString(name);
        return QCoreApplication::translate("FitFailure",
                                           "ohne Wirkung auf das Modell neben den übrigen Parametern: %1 (singuläre "
                                           "Jacobi-Matrix)")
            .arg(names.join(", "));
    }
    case nsStartFault:
        return QCoreApplication::translate("FitFailure", "das Modell hat an den Startwerten keinen Wert: %1").arg(fault);
    case nsEvaluationFault:
        return QCoreApplication::translate("FitFailure", "das Modell hat an einem Punkt der Suche keine Ableitung: %1")
            .arg(fault);
    case nsConverged: break;
    }
    return QString::fromStdString(fit.Failure);
}

}  // namespace

// Fit, quality, curve, texts: the steps every fit command shares after removing the old curve.
// False when the polynomial's decomposition failed (nothing is shown then); a nonlinear fit that
// did not converge raises with its reason.
bool TFrmMain::FitAndDraw(const TModel& model)
{
    m_follower.Stop();
    ForgetLastFit();
    TFitResult fit;
    if (!CalcModelFit(m_stats, model, fit)) return false;
    if (fit.Status == fsFailed)
        throw std::runtime_error(tr("Die Anpassung ist nicht konvergiert: %1").arg(FailureText(fit)).toStdString());
    DrawFit(fit, SampleCurve(fit, RChart1->Scale1X().RangeLow(), RChart1->Scale1X().RangeHigh(), kCurveSamples));
    return true;
}

// Quality, curve and texts of a fit whose curve is sampled.
void TFrmMain::DrawFit(const TFitResult& fit, const TSampledCurve& curve)
{
    NLabFitQual->SetValue(fit.Quality);
    NLabFitQual->SetEmpty(false);
    // The points before a fault stay in the list; the fault ends the command before the list is shown.
    AddCurveItems(curve);
    if (curve.Fault) std::rethrow_exception(curve.Fault);
    m_lastFit = fit;
    m_lastFitPoints = m_stats.PointCount();
    FollowLastFit();
    RChart1->ShowItems();
    if (fit.Model.Kind != mkSpline) ShowResult(FormulaCaption(fit.Model), ParameterCaption(fit));
    if (fit.Truncated) ShowMessageBox(TruncationText(fit), "", mbiInformation, true);
}

namespace {

// Marks are dense from one mark for every this many pixels of the data area on: their discs of
// five pixels then cover a fifth of it, and a line of one pixel in their colour gets lost among
// them.
constexpr int kPixelsPerDenseMark = 100;
// The stroke beneath the curve over dense marks: two pixels of background on either side.
constexpr std::uint8_t kCurveHaloWidth = 5;

}  // namespace

bool TFrmMain::MarksAreDense() const
{
    const double area = double(RChart1->AreaWidth()) * double(RChart1->AreaHeight());
    return double(m_stats.PointCount()) * kPixelsPerDenseMark >= area;
}

// The curve's items. Over dense marks a wider stroke in the chart's background colour goes
// beneath the curve, so the curve keeps its colour and stays in sight.
void TFrmMain::AddCurveItems(const TSampledCurve& curve)
{
    const auto addCurve = [&] {
        for (const TCurvePoint& p : curve.Points) {
            if (p.MoveTo)
                RChart1->AddMoveTo(p.X, p.Y);
            else
                RChart1->AddLineTo(p.X, p.Y);
        }
    };
    if (MarksAreDense()) {
        // Marks and curves appended later take the window's colour and width again, whatever happens.
        struct TAttributesBack {
            TRChart& chart;
            TColor color;
            std::uint8_t width;
            ~TAttributesBack()
            {
                chart.SetDataColor(color);
                chart.SetLineWidth(width);
            }
        } back{*RChart1, RChart1->DataColor(), RChart1->LineWidth()};
        RChart1->SetDataColor(RChart1->ChartColor());
        RChart1->SetLineWidth(kCurveHaloWidth);
        addCurve();
    }
    addCurve();
}

void TFrmMain::RunClosedFormCommand(TModelKind kind)
{
    DisableOptionWidgets();
    StripCurveItems();
    SBNewPnts->SetDown(false);
    FitAndDraw({kind});
}

void TFrmMain::BButLinFitClick() { RunClosedFormCommand(mkLine); }
void TFrmMain::BButParabolFitClick() { RunClosedFormCommand(mkParabola); }
void TFrmMain::BButCalcReciprLineClick() { RunClosedFormCommand(mkReciprocal); }
void TFrmMain::BButLogFitClick() { RunClosedFormCommand(mkLog); }
void TFrmMain::SBRecipLogClick() { RunClosedFormCommand(mkReciprocalLog); }
void TFrmMain::SBExpoClick() { RunClosedFormCommand(mkExp); }

void TFrmMain::BButPolynomialClick()
{
    // The other option widgets off, the order widgets on. The order edit is never switched off on
    // the way, or typing into it would lose the focus at the first keystroke.
    SetOptionWidgets(true, false);
    StripCurveItems();
    SBNewPnts->SetDown(false);

    int m = SEPolyOrder->Value();
    // A typed order outside the edit's limits (it clamps typed text only when it loses the focus)
    // is taken as the edit will clamp it; the engine never sees more than kMaxPolyOrder.
    if (m < 0 || m > SEPolyOrder->MaxValue()) m = SEPolyOrder->CheckValue(m);
    FitAndDraw({mkPoly, std::clamp(m, 0, kMaxPolyOrder)});
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
    FitAndDraw({mkSpline, 0, SBarSmoothSpline->value() / 1000.0});
}

void TFrmMain::SBarSmoothSplineChange()
{
    DrawSplineCurve();
}

// The spline with the smoothing generalised cross-validation chooses. The search tries the spline
// of many factors (seconds at a million points), so it runs on the bar's worker while the window
// goes on; any command that needs the engine cancels it. Its result lands as a position of the
// bar does (ShowFollowedSpline): the curve of the chosen factor, and the bar at its nearest
// position. Until then the chart shows no curve and the window the busy cursor.
void TFrmMain::BtnSplineAutoClick()
{
    StripCurveItems();
    SBNewPnts->SetDown(false);
    ForgetLastFit();
    RChart1->ShowItems();
    TModel model{mkSpline};
    model.SplineAuto = true;
    m_follower.Start(m_stats, model, RChart1->Scale1X().RangeLow(), RChart1->Scale1X().RangeHigh());
    setCursor(Qt::BusyCursor);
}
