#pragma once
// TStatisticsWindow: what the last fit is worth, in a window of its own beside the main window
// that follows every fit: the parameters with their standard errors, 95 % intervals, t and p; the
// fit's statistics; and its residuals against x, drawn with the chart control. It formats the
// TFitResult it is given and keeps nothing of the engine.
#include <QRect>
#include <QWidget>
#include <span>
#include <vector>

#include "app/fitreport.h"
#include "curvefit/fitresult.h"

class QLabel;
class QTableWidget;
class TRChart;

// Where a window of `size` opens beside a main window whose frame is `mainFrame`, on a screen whose
// free area is `avail`.
QRect PlaceBeside(const QRect& mainFrame, QSize size, const QRect& avail);

class TStatisticsWindow : public QWidget {
    Q_OBJECT

public:
    explicit TStatisticsWindow(QWidget* parent = nullptr);

    QLabel* LblModel;              // the formula, or that no fit is shown
    QLabel* LblNote;               // why figures are missing; the variables the model regresses
    QTableWidget* ParameterTable;  // name, value, standard error, interval from, to, t, p
    QTableWidget* StatisticTable;  // name, value
    QLabel* LblResiduals;
    TRChart* ResidualChart;        // marks at (x, residual) over a zero line

    // Shows `fit`, made from `points` points. `x` holds their x in entry order, one for each
    // residual the fit holds (none: no residual plot). `statisticsKnown` false: the points
    // changed before the statistics were computed, so only the parameters' values are there.
    void ShowFit(const TFitResult& fit, int points, std::span<const double> x, bool statisticsKnown);
    // No fit is shown, and the window says so.
    void ShowNoFit();

protected:
    void changeEvent(QEvent* event) override;

private:
    void Fill();  // the tables and texts from what is kept, in the current language
    void PlotResiduals(std::span<const double> x, const std::vector<double>& residuals);

    // What the window shows, kept for a change of language.
    bool m_hasFit = false;
    TModel m_model;
    TCenteredPoly m_centred;   // the polynomial's and the parabola's centred form (no coefficients otherwise)
    bool m_rawCancels = false; // their raw coefficients cancel over the data
    TFitStatus m_status = fsFailed;
    bool m_hasErrors = false;
    bool m_statisticsKnown = false;
    int m_points = 0;
    int m_dof = 0;
    double m_quality = 0.0;
    double m_smoothing = 0.0;  // the spline's factor as fitted: the bar's, or the one "Auto" chose
    bool m_hasResiduals = false;
    std::vector<TParameterRow> m_parameters;
    std::vector<TStatisticRow> m_statistics;
};
