#include "app/fitreport.h"

#include <QtGlobal>

#include "curvefit/models.h"

std::vector<TParameterRow> ParameterRows(const TFitResult& fit)
{
    std::vector<TParameterRow> rows;
    if (fit.Model.Kind == mkSpline) return rows;
    const std::vector<std::string> names = ParameterNames(fit.Model);
    for (std::size_t j = 0; j < fit.Coefficients.size(); ++j) {
        TParameterRow row;
        // The polynomial's coefficients are named as the window's parameter line names them.
        row.Name = fit.Model.Kind == mkPoly ? "k" + std::to_string(j) : j < names.size() ? names[j] : std::string();
        row.Value = fit.Coefficients[j];
        if (fit.HasErrors && j < fit.Parameters.size()) {
            const TFitParameter& p = fit.Parameters[j];
            row.HasError = true;
            row.StdError = p.StdError;
            ParameterInterval(fit, j, kReportLevel, row.Low, row.High);
            if (p.StdError > 0) {
                row.HasT = true;
                row.T = p.Value / p.StdError;
                row.P = StudentTwoSidedP(row.T, fit.Statistics.Dof);
            }
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<TStatisticRow> StatisticRows(const TFitResult& fit)
{
    const TFitStatistics& st = fit.Statistics;
    std::vector<TStatisticRow> rows;
    if (st.Points == 0) return rows;
    if (fit.Model.Kind == mkSpline) {
        rows.push_back({QT_TRANSLATE_NOOP("FitReport", "Residuenquadratsumme"), st.Rss});
        rows.push_back({QT_TRANSLATE_NOOP("FitReport", "Äquivalente Freiheitsgrade"), st.Df});
        rows.push_back({QT_TRANSLATE_NOOP("FitReport", "GCV"), st.Gcv});
        return rows;
    }
    rows.push_back({QT_TRANSLATE_NOOP("FitReport", "Freiheitsgrade"), double(st.Dof), true});
    rows.push_back({QT_TRANSLATE_NOOP("FitReport", "Residuenquadratsumme"), st.Rss});
    if (st.Dof > 0) {
        rows.push_back({QT_TRANSLATE_NOOP("FitReport", "Reststandardfehler"), st.ResidualStdError});
        rows.push_back({QT_TRANSLATE_NOOP("FitReport", "Korrigiertes R²"), st.AdjRSquared});
    }
    if (st.HasF) {
        rows.push_back({QT_TRANSLATE_NOOP("FitReport", "F"), st.FStatistic});
        rows.push_back({QT_TRANSLATE_NOOP("FitReport", "p-Wert von F"), st.FPValue});
    }
    if (st.HasInformation) {
        rows.push_back({QT_TRANSLATE_NOOP("FitReport", "AIC"), st.Aic});
        rows.push_back({QT_TRANSLATE_NOOP("FitReport", "BIC"), st.Bic});
    }
    return rows;
}
