// What the last fit is worth: its statistics, its confidence and prediction bands on the chart and
// the statistics window. The statistics cost a pass over every point, so a fit command computes
// them only while the statistics window is open or the bands are shown; the window, the band
// toggle and the clipboard compute them for the last fit when they need them, as long as the
// engine still holds the points it was fitted to.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <span>
#include <vector>

#include "app/errorbox.h"
#include "app/fitreport.h"
#include "app/frmmain.h"
#include "app/statisticswindow.h"
#include "chart/chart.h"


// "Anzeige" between "Datei" and "Hilfe": the statistics window and the band toggle.
void TFrmMain::CreateStatisticsMenu()
{
    auto* menu = new QMenu(this);
    menuBar()->insertMenu(Hilfe1, menu);
    Anzeige1 = menu->menuAction();
    Statistik1 = menu->addAction("Statistik");
    Statistik1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    Konfidenzband1 = menu->addAction("Konfidenz- und Prognoseband zeigen");
    Konfidenzband1->setCheckable(true);
    Konfidenzband1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    connect(Statistik1, &QAction::triggered, this, [this] { RunHandler([this] { Statistik1Click(); }); });
    connect(Konfidenzband1, &QAction::triggered, this, [this] { RunHandler([this] { Konfidenzband1Click(); }); });
}

void TFrmMain::RetranslateStatisticsMenu()
{
    Anzeige1->setText(tr("An&zeige"));
    Statistik1->setText(tr("&Statistik"));
    Konfidenzband1->setText(tr("&Konfidenz- und Prognoseband zeigen"));
}

void TFrmMain::Statistik1Click()
{
    if (!StatisticsWindow) {
        StatisticsWindow = new TStatisticsWindow(this);
        const QScreen* screen = this->screen();
        const QRect at = screen ? PlaceBeside(frameGeometry(), StatisticsWindow->size(), screen->availableGeometry())
                                : QRect(frameGeometry().topRight() + QPoint(1, 0), StatisticsWindow->size());
        StatisticsWindow->resize(at.size());
        StatisticsWindow->move(at.topLeft());
    }
    StatisticsWindow->show();
    EnsureLastFitStatistics();
    UpdateStatisticsWindow();
    StatisticsWindow->raise();
    StatisticsWindow->activateWindow();
}

void TFrmMain::Konfidenzband1Click()
{
    // The band goes with the curve: it changes now only where the last fit's curve is still the
    // end of the display list; otherwise the next fit draws it or not.
    if (!CurveIsLast()) return;
    for (; m_bandItems > 0; --m_bandItems) RChart1->DropLastItem();
    if (Konfidenzband1->isChecked() && EnsureLastFitStatistics()) AddBandItems(*m_lastFit);
    RChart1->ShowItems();
    UpdateStatisticsWindow();
}

// A new last fit whose curve has just been appended: its statistics when they are asked for, its
// band after the curve, and the statistics window.
void TFrmMain::FollowLastFit()
{
    m_lastFitStatistics = false;
    m_lastFitDataKept = true;
    m_curveEnd = RChart1->ItemCount();
    m_bandItems = 0;
    if (StatisticsAsked()) EnsureLastFitStatistics();
    if (Konfidenzband1->isChecked() && m_lastFitStatistics) AddBandItems(*m_lastFit);
    UpdateStatisticsWindow();
}

void TFrmMain::ForgetLastFit()
{
    m_lastFit.reset();
    m_lastFitStatistics = false;
    m_curveEnd = -1;
    m_bandItems = 0;
    UpdateStatisticsWindow();
}

bool TFrmMain::StatisticsAsked() const
{
    return (StatisticsWindow && StatisticsWindow->isVisible()) || Konfidenzband1->isChecked();
}

// Points are only ever appended, or all replaced by a take-over: the engine holds the last fit's
// points while no take-over came and their number is the same.
bool TFrmMain::LastFitDataKept() const
{
    return m_lastFit && m_lastFitDataKept && m_stats.PointCount() == m_lastFitPoints;
}

// The statistics (with the residuals) of the last fit; false when there is no fit or the points
// it was made from are gone. Only computing them takes the engine from the spline worker: the
// search of "Auto" goes on while the window and the band toggle are used, as it has no fit shown.
bool TFrmMain::EnsureLastFitStatistics()
{
    if (!m_lastFit) return false;
    if (m_lastFitStatistics) return true;
    if (!LastFitDataKept()) return false;
    // Without points (the polynomial draws y = 0 then) there is nothing to compute.
    if (m_stats.PointCount() > 0) {
        m_follower.Stop();  // the engine is ours for the statistics
        TStatisticsOptions options;
        options.Residuals = true;
        AddStatistics(m_stats, *m_lastFit, options);
    }
    m_lastFitStatistics = true;
    return true;
}

// The last fit's curve, followed by its band if it has one, ends the display list.
bool TFrmMain::CurveIsLast() const
{
    return m_lastFit && m_curveEnd >= 0 && RChart1->ItemCount() == m_curveEnd + m_bandItems &&
           RChart1->KindOfLastItem() != ikMark && RChart1->KindOfLastItem() != ikNone;
}

// The confidence band and the prediction band at kReportLevel as four dashed curves in the
// curve's colour, sampled at the x steps of the curves over the visible range. Where the band
// has no value the curve breaks and starts again. A fit without errors (the spline) has no band.
void TFrmMain::AddBandItems(const TFitResult& fit)
{
    if (!fit.HasErrors) return;
    const double low = RChart1->Scale1X().RangeLow(), high = RChart1->Scale1X().RangeHigh();
    const double step = (high - low) / kCurveSamples;
    std::vector<TBandPoint> band;
    band.reserve(kCurveSamples + 1);
    for (int i = 0; i <= kCurveSamples; ++i) band.push_back(BandAt(fit, low + i * step, kReportLevel));

    const int before = RChart1->ItemCount();
    const TPenStyle style = RChart1->PenStyle();
    RChart1->SetPenStyle(psDash);
    for (double TBandPoint::*edge : {&TBandPoint::ConfLow, &TBandPoint::ConfHigh, &TBandPoint::PredLow,
                                     &TBandPoint::PredHigh}) {
        bool drawing = false;
        for (const TBandPoint& b : band) {
            if (!b.Defined) {
                drawing = false;
                continue;
            }
            if (drawing) RChart1->AddLineTo(b.X, b.*edge);
            else RChart1->AddMoveTo(b.X, b.*edge);
            drawing = true;
        }
    }
    RChart1->SetPenStyle(style);
    m_bandItems = RChart1->ItemCount() - before;
}

// The open statistics window shows the last fit; its residuals against the engine's x while the
// engine holds the fit's points.
void TFrmMain::UpdateStatisticsWindow()
{
    if (!StatisticsWindow || !StatisticsWindow->isVisible()) return;
    if (!m_lastFit) {
        StatisticsWindow->ShowNoFit();
        return;
    }
    std::span<const double> x;
    if (m_lastFitStatistics && LastFitDataKept())
        x = {m_stats.PointTable().ColumnData(1), std::size_t(m_stats.PointCount())};
    StatisticsWindow->ShowFit(*m_lastFit, m_lastFitPoints, x, m_lastFitStatistics);
}
