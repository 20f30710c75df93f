#include "app/statisticswindow.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/uifont.h"
#include "chart/chart.h"
#include "curvefit/models.h"
#include "platform/localefmt.h"

namespace {

constexpr int kMarkKindPoint = 26;  // the mark of the main chart's points
constexpr int kValueDigits = 7;     // significant digits of values, errors and statistics
constexpr int kTDigits = 4;
constexpr int kPDigits = 3;
// The residual plot leaves this share of its x range free at each end, and its y range reaches
// this factor beyond the largest residual, so no mark sits on the frame.
constexpr double kPlotMargin = 0.05;
constexpr double kPlotHeadroom = 1.1;

const char* const kParameterHeader[] = {
    QT_TRANSLATE_NOOP("TStatisticsWindow", "Parameter"),
    QT_TRANSLATE_NOOP("TStatisticsWindow", "Wert"),
    QT_TRANSLATE_NOOP("TStatisticsWindow", "Standardfehler"),
    QT_TRANSLATE_NOOP("TStatisticsWindow", "95 %-Intervall von"),
    QT_TRANSLATE_NOOP("TStatisticsWindow", "bis"),
    QT_TRANSLATE_NOOP("TStatisticsWindow", "t"),
    QT_TRANSLATE_NOOP("TStatisticsWindow", "p"),
};
constexpr int kParameterColumns = int(std::size(kParameterHeader));

// A figure with `digits` significant digits and the locale's decimal separator, as the value
// table and the clipboard write numbers.
QString Figure(double v, int digits)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.*g", digits, v);
    QString s = QString::fromLatin1(text);
    s.replace('.', QChar(FormatSettings().DecimalSeparator));
    return s;
}

const QString kMissing = QString::fromUtf8("–");

// The variables a model regresses: its quality, statistics and residuals are in these.
struct TRegressed {
    const char* y;
    const char* x;
    bool transformed;  // other than y on x
};

TRegressed RegressedVariables(TModelKind kind)
{
    switch (kind) {
    case mkReciprocal: return {"1/y", "x", true};
    case mkLog: return {"y", "ln x", true};
    case mkReciprocalLog: return {"1/y", "ln x", true};
    case mkExp: return {"ln y", "x", true};
    default: return {"y", "x", false};
    }
}

QTableWidgetItem* Cell(const QString& text, bool number)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

// A read-only table whose rows are as high as a line of its text.
QTableWidget* MakeTable(QWidget* parent, int columns)
{
    auto* table = new QTableWidget(0, columns, parent);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::ContiguousSelection);
    table->setWordWrap(false);
    // A table that takes the focus shows its current cell as chosen; the mouse still selects.
    table->setFocusPolicy(Qt::NoFocus);
    return table;
}

// The table as high as its header and rows, so every row shows without scrolling (at most the
// eleven coefficients of the highest polynomial, or ten statistics); the plot takes the rest.
void FitHeightToRows(QTableWidget* table)
{
    const int header = table->horizontalHeader()->isHidden() ? 0 : table->horizontalHeader()->sizeHint().height();
    const int rows = std::max(1, table->rowCount()) * table->verticalHeader()->defaultSectionSize();
    table->setFixedHeight(header + rows + 2 * table->frameWidth());
}

}  // namespace

TStatisticsWindow::TStatisticsWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setFont(UiFont("Arial", 13));
    resize(600, 760);
    LblModel = new QLabel(this);
    LblModel->setFont(UiFont("Tahoma", 17));
    LblModel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LblNote = new QLabel(this);
    LblNote->setWordWrap(true);
    ParameterTable = MakeTable(this, kParameterColumns);
    StatisticTable = MakeTable(this, 2);
    StatisticTable->horizontalHeader()->hide();
    LblResiduals = new QLabel(this);

    ResidualChart = new TRChart(this);
    ResidualChart->SetGridStyle(gsDotLines);
    ResidualChart->SetGridColor(clSilver);
    ResidualChart->SetMarginRight(16);
    ResidualChart->SetMarginTop(12);
    ResidualChart->SetMarginBottom(30);
    ResidualChart->setMinimumSize(200, 160);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LblModel);
    layout->addWidget(LblNote);
    layout->addWidget(ParameterTable);
    layout->addWidget(StatisticTable);
    layout->addWidget(LblResiduals);
    layout->addWidget(ResidualChart, 1);
    ShowNoFit();
}

void TStatisticsWindow::ShowNoFit()
{
    m_hasFit = false;
    m_parameters.clear();
    m_statistics.clear();
    PlotResiduals({}, {});
    Fill();
}

void TStatisticsWindow::ShowFit(const TFitResult& fit, int points, std::span<const double> x, bool statisticsKnown)
{
    m_hasFit = true;
    m_model = fit.Model;
    m_centred = fit.Centered;
    m_rawCancels = !m_centred.Coefficients.empty() && RawFormCancels(m_centred, fit.Coefficients);
    m_status = fit.Status;
    m_hasErrors = fit.HasErrors;
    m_statisticsKnown = statisticsKnown;
    m_points = points;
    m_dof = fit.Statistics.Dof;
    m_quality = fit.Quality;
    m_smoothing = fit.Model.Kind == mkSpline ? fit.Coefficients.front() : 0.0;
    m_parameters = ParameterRows(fit);
    m_statistics = StatisticRows(fit);
    PlotResiduals(x, fit.Residuals);
    Fill();
}

void TStatisticsWindow::PlotResiduals(std::span<const double> x, const std::vector<double>& residuals)
{
    TRChart& chart = *ResidualChart;
    chart.ClearItems();
    m_hasResiduals = !residuals.empty() && x.size() == residuals.size();
    if (!m_hasResiduals) {
        chart.ShowItems();
        return;
    }
    const auto [xLow, xHigh] = std::minmax_element(x.begin(), x.end());
    double largest = 0;
    for (double e : residuals) largest = std::max(largest, std::fabs(e));
    const double span = *xHigh - *xLow;
    const double margin = span > 0 ? span * kPlotMargin : 1.0;
    const double low = *xLow - margin, high = *xHigh + margin;
    // Residuals of exactly 0 (a perfect fit) still get a range around their zero line.
    const double reach = largest > 0 ? largest * kPlotHeadroom : 1.0;
    chart.SetLayerRange(1, low, -reach, high, reach);
    chart.SetDataColor(clGray);
    chart.AddMoveTo(low, 0.0);
    chart.AddLineTo(high, 0.0);
    chart.SetDataColor(clGreen);
    chart.AddMarks(kMarkKindPoint, x, residuals);
    chart.ShowItems();
}

void TStatisticsWindow::Fill()
{
    setWindowTitle(tr("Kalmira - Statistik"));
    ParameterTable->setHorizontalHeaderLabels([] {
        QStringList labels;
        for (const char* h : kParameterHeader) labels << tr(h);
        return labels;
    }());
    ParameterTable->setRowCount(0);
    StatisticTable->setRowCount(0);
    if (!m_hasFit) {
        LblModel->setText(tr("Keine Anpassung gezeigt"));
        LblNote->setText(tr("Erst Punkte eingeben und eine Kurve anpassen; dieses Fenster folgt jeder Anpassung."));
        LblNote->setVisible(true);
        LblResiduals->setText(QString());
        FitHeightToRows(ParameterTable);
        FitHeightToRows(StatisticTable);
        return;
    }

    const TRegressed regressed = RegressedVariables(m_model.Kind);
    if (m_model.Kind == mkSpline)
        LblModel->setText(tr("Glättungsspline, Glättungsfaktor %1").arg(Figure(m_smoothing, kValueDigits)));
    else
        LblModel->setText(QString::fromStdString(FormulaCaption(m_model)));
    QStringList notes;
    if (regressed.transformed)
        notes << tr("Regression von %1 auf %2: Anpassungsgrad, Statistik und Residuen gelten für %1.")
                     .arg(regressed.y, regressed.x);
    if (!m_statisticsKnown)
        notes << tr("Die Punkte haben sich seit dieser Anpassung geändert; Standardfehler und Statistik zeigt "
                    "die nächste Anpassung.");
    else if (m_model.Kind == mkSpline)
        notes << tr("Der Glättungsspline hat keine Parameter mit Standardfehlern.");
    else if (!m_hasErrors && m_status == fsUndetermined)
        notes << tr("Die Daten bestimmen nicht jeden Koeffizienten: ohne Standardfehler.");
    else if (!m_hasErrors && m_dof <= 0)
        notes << tr("Keine Freiheitsgrade übrig (nicht mehr Punkte als Koeffizienten): ohne Standardfehler.");
    else if (!m_hasErrors)
        notes << tr("Die Standardfehler lassen sich für diese Daten nicht berechnen.");
    if (!m_centred.Coefficients.empty()) {
        // The form every value is computed from, whose terms do not cancel: x' runs from -1 to 1.
        QString form = QString::fromUtf8("x' = (x − %1) / %2:   y = %3")
                           .arg(Figure(m_centred.Centre, kValueDigits), Figure(m_centred.Scale, kValueDigits),
                                Figure(m_centred.Coefficients[0], kValueDigits));
        for (std::size_t j = 1; j < m_centred.Coefficients.size(); ++j)
            form += QString(" + %1·x'%2").arg(Figure(m_centred.Coefficients[j], kValueDigits),
                                               j > 1 ? QString("^%1").arg(j) : QString());
        notes << tr("Zentrierte Form: %1").arg(form);
        if (m_rawCancels)
            notes << tr("Die Koeffizienten k0 bis k%1 heben sich bei diesen x beim Summieren in doppelter "
                        "Genauigkeit auf; Werte daher aus der zentrierten Form berechnen.")
                         .arg(m_centred.Coefficients.size() - 1);
    }
    LblNote->setText(notes.join('\n'));
    LblNote->setVisible(!notes.isEmpty());

    // The spline has no parameter with an error: its factor stands in the heading.
    ParameterTable->setVisible(!m_parameters.empty());
    ParameterTable->setRowCount(int(m_parameters.size()));
    for (int r = 0; r < int(m_parameters.size()); ++r) {
        const TParameterRow& p = m_parameters[std::size_t(r)];
        const QString cells[kParameterColumns] = {
            QString::fromStdString(p.Name),
            Figure(p.Value, kValueDigits),
            p.HasError ? Figure(p.StdError, kValueDigits) : kMissing,
            p.HasError ? Figure(p.Low, kValueDigits) : kMissing,
            p.HasError ? Figure(p.High, kValueDigits) : kMissing,
            p.HasT ? Figure(p.T, kTDigits) : kMissing,
            p.HasT ? Figure(p.P, kPDigits) : kMissing,
        };
        for (int c = 0; c < kParameterColumns; ++c) ParameterTable->setItem(r, c, Cell(cells[c], c > 0));
    }
    // Every column as wide as its text but the last, which takes the rest of the width.
    for (int c = 0; c + 1 < kParameterColumns; ++c) ParameterTable->resizeColumnToContents(c);

    std::vector<std::pair<QString, QString>> rows = {
        {QCoreApplication::translate("FitReport", "Punkte"), QString::number(m_points)},
        {QCoreApplication::translate("FitReport", "Anpassungsgrad"), Figure(m_quality, kValueDigits)},
    };
    for (const TStatisticRow& s : m_statistics)
        rows.emplace_back(QCoreApplication::translate("FitReport", s.Name),
                          s.Count ? QString::number(static_cast<long long>(s.Value)) : Figure(s.Value, kValueDigits));
    StatisticTable->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        StatisticTable->setItem(r, 0, Cell(rows[std::size_t(r)].first, false));
        StatisticTable->setItem(r, 1, Cell(rows[std::size_t(r)].second, true));
    }
    StatisticTable->resizeColumnToContents(0);
    FitHeightToRows(ParameterTable);
    FitHeightToRows(StatisticTable);

    LblResiduals->setText(m_hasResiduals ? tr("Residuen in %1 gegen x").arg(regressed.y)
                                         : tr("Keine Residuen zu zeigen"));
}

void TStatisticsWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) Fill();
}

// Right of the main window, moved inside `avail` where there is no room and made no larger than it (a
// small screen, or a large scale factor).
QRect PlaceBeside(const QRect& mainFrame, QSize size, const QRect& avail)
{
    size = size.boundedTo(avail.size());
    const int x = std::clamp(mainFrame.right() + 1, avail.left(), avail.right() + 1 - size.width());
    const int y = std::clamp(mainFrame.top(), avail.top(), avail.bottom() + 1 - size.height());
    return {QPoint(x, y), size};
}
