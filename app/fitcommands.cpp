// The fit commands. Each one removes the previous curve, has the engine fit its model, shows the
// quality, samples the curve over the visible x range into the chart's display list, and writes
// the formula and parameter texts; the models themselves (fit, values, texts, sampling) are the
// engine's (curvefit/models.h). An error of the engine or of the arithmetic ends a command where
// it occurs; what it did before stays done.
#include <QLabel>
#include <QScrollBar>
#include <algorithm>
#include <exception>
#include <stdexcept>

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
    QString text;
    if (r >= cols)
        text = tr("Die x-Werte liegen zu dicht beieinander, um jeden Koeffizienten zu bestimmen; "
                  "gezeigt wird die Lösung mit der kleinsten Norm");
    else if (r + 1 == cols)
        text = tr("k%1 ist durch die Daten nicht bestimmt (nur %2 verschiedene x-Werte); "
                  "gezeigt wird die Lösung mit der kleinsten Norm")
                   .arg(r)
                   .arg(r);
    else
        text = tr("k%1 bis k%2 sind durch die Daten nicht bestimmt (nur %3 verschiedene x-Werte); "
                  "gezeigt wird die Lösung mit der kleinsten Norm")
                   .arg(r)
                   .arg(cols - 1)
                   .arg(r);
    return text.toStdString();
}

// Fit, quality, curve, texts: the steps every fit command shares after removing the old curve.
// False when the polynomial's decomposition failed (nothing is shown then); a nonlinear fit that
// did not converge raises with its reason.
bool TFrmMain::FitAndDraw(const TModel& model)
{
    m_follower.Stop();
    m_lastFit.reset();
    TFitResult fit;
    if (!CalcModelFit(m_stats, model, fit)) return false;
    if (fit.Status == fsFailed)
        throw std::runtime_error(
            tr("Die Anpassung ist nicht konvergiert: %1").arg(QString::fromStdString(fit.Failure)).toStdString());
    DrawFit(fit, SampleCurve(fit, RChart1->Scale1X().RangeLow(), RChart1->Scale1X().RangeHigh(), kCurveSamples));
    return true;
}

// Quality, curve and texts of a fit whose curve is sampled.
void TFrmMain::DrawFit(const TFitResult& fit, const TSampledCurve& curve)
{
    NLabFitQual->SetValue(fit.Quality);
    NLabFitQual->SetEmpty(false);
    // The points before a fault stay in the list; the fault ends the command before the list is shown.
    for (const TCurvePoint& p : curve.Points) {
        if (p.MoveTo)
            RChart1->AddMoveTo(p.X, p.Y);
        else
            RChart1->AddLineTo(p.X, p.Y);
    }
    if (curve.Fault) std::rethrow_exception(curve.Fault);
    RChart1->ShowItems();
    if (fit.Model.Kind != mkSpline) ShowResult(FormulaCaption(fit.Model), ParameterCaption(fit));
    m_lastFit = fit;
    m_lastFitPoints = m_stats.PointCount();
    if (fit.Truncated) ShowMessageBox(TruncationText(fit), "", mbiInformation, true);
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
