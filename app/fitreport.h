#pragma once
// The figures of a fit's report as the statistics window and the clipboard show them: each
// parameter with its standard error, its 95 % interval, t and p, and the fit's statistics as
// named rows. Both only format what TFitResult holds; the names are German, the sources of their
// translations (context "FitReport").
#include <string>
#include <vector>

#include "curvefit/fitresult.h"

// The level of the intervals the window reports.
constexpr double kReportLevel = 0.95;

struct TParameterRow {
    std::string Name;         // as the window's parameter line names it (k0, k1, ... for the polynomial)
    double Value = 0.0;
    bool HasError = false;    // standard error and interval are there
    double StdError = 0.0, Low = 0.0, High = 0.0;
    bool HasT = false;        // t and p need a standard error above 0
    double T = 0.0, P = 0.0;  // t = value / standard error; p two-sided on the fit's degrees of freedom
};

// One row per parameter; the spline has none.
std::vector<TParameterRow> ParameterRows(const TFitResult& fit);

struct TStatisticRow {
    const char* Name;      // German
    double Value = 0.0;
    bool Count = false;    // a whole number (points, degrees of freedom)
};

// The statistics the fit holds beside its quality and its number of points, which every result
// shows: for the linear models degrees of freedom, residual sum of squares, residual standard
// error, adjusted R^2, F with its p value, AIC and BIC, each only where it is defined; for the
// smoothing spline its residual sum of squares, equivalent degrees of freedom and GCV score once
// they are computed. Empty before AddStatistics.
std::vector<TStatisticRow> StatisticRows(const TFitResult& fit);
