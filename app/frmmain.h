#pragma once
// TFrmMain: the program's main window. It owns the engine, the chart, the value table and the
// result labels, and moves values between them in its event handlers. The points live in the
// engine; the window itself keeps the fit it shows and the spline it prepares for the smoothing
// bar.
#include <QMainWindow>
#include <optional>
#include <string>
#include <vector>

#include "app/splinefollower.h"
#include "curvefit/curvefit.h"
#include "curvefit/models.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QPushButton;
class QScrollBar;
class TFloatEdit;
class TFormulaDialog;
class TFormHilfe;
class THelpWindow;
class TNumLab;
class TPanel;
class TRChart;
class TSpeedButton;
class TSpinEdit;
class TStatisticsWindow;
class TValueGrid;

class TFrmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit TFrmMain(QWidget* parent = nullptr);
    ~TFrmMain() override;

    // the window's controls, by their form names
    TPanel* Panel3;                   // toolbar
    TPanel* Panel1;                   // result panel
    TPanel* Panel2;                   // commands
    TRChart* RChart1;
    TSpeedButton* SBNewPnts;
    TSpeedButton* SBClear;
    TNumLab* NLabFitQual;
    QLabel* Label1;
    QLabel* LblFormula;
    QLabel* LblParams;
    TSpeedButton* BButLinFit;
    TSpeedButton* BButLogFit;
    TSpeedButton* BButParabolFit;
    TSpeedButton* BButCalcReciprLine;
    TSpeedButton* SBRecipLog;
    TSpeedButton* SBExpo;
    TSpeedButton* BButPolynomial;
    TSpinEdit* SEPolyOrder;
    QLabel* LblPolyOrder;
    TSpeedButton* BButSpline;
    QScrollBar* SBarSmoothSpline;
    QLabel* LblSmoothSpline;
    QPushButton* BtnSplineAuto;   // "Auto": the smoothing that generalised cross-validation chooses
    TFloatEdit* GraphXmaxEdit;
    QLabel* GraphXmaxLabel;
    TFloatEdit* GraphYmaxEdit;
    QLabel* GraphYmaxLabel;
    QPushButton* ResetAxisButton;
    QLabel* Label2;
    TValueGrid* WerteTabelleGrid;
    QPushButton* BitBtn2;
    QPushButton* WerteUebernehmenBtn;
    QAction* Datei1;
    QAction* ErgebnisAnClipboard;
    QAction* WerteTabellespeichern1;
    QAction* WerteTabelleladen1;
    QAction* Grafikspeichern1;
    QAction* AchsenAnpassen1;        // "Achsen an Daten anpassen"
    QAction* Ende1;
    QAction* Hilfe1;
    QAction* Info1;
    QMenu* Sprache1 = nullptr;        // the language: "Deutsch" or "English"
    QAction* Deutsch1 = nullptr;
    QAction* English1 = nullptr;
    QMenu* Kurve1 = nullptr;                // the nonlinear models: the built-ins and "Formel ..."
    std::vector<QAction*> KurveModelle;     // the built-ins, in the order of BuiltinModels()
    QAction* Formel1 = nullptr;
    TFormulaDialog* FormelDialog = nullptr; // made at its first showing; keeps the last formula
    TFormHilfe* FormHilfe;
    THelpWindow* HelpWindow = nullptr;  // the help text, made at its first showing
    QAction* Anzeige1 = nullptr;        // the menu "Anzeige": the statistics and the bands
    QAction* Statistik1 = nullptr;
    QAction* Konfidenzband1 = nullptr;  // checked: the last fit's bands are drawn
    TStatisticsWindow* StatisticsWindow = nullptr;  // made at its first showing

    TCurveFit& Stats1() { return m_stats; }
    // A spline for the dragged smoothing bar is being prepared and not yet drawn.
    bool SplineBusy() const { return m_follower.Busy(); }
    // The fit whose result the window shows, if any.
    const std::optional<TFitResult>& LastFit() const { return m_lastFit; }

    // event handlers; each runs to its end or to its first error, which the window shows in its error box
    void RChart1MouseDown(int X, int Y);
    void SBNewPntsClick();
    void WerteUebernehmenBtnClick();
    void BitBtn2Click();
    void SBClearClick();
    void ResetAxisButtonClick();
    void BButLinFitClick();
    void BButParabolFitClick();
    void BButCalcReciprLineClick();
    void BButLogFitClick();
    void SBRecipLogClick();
    void SBExpoClick();
    void BButPolynomialClick();
    void SEPolyOrderChange();
    void BButSplineClick();
    void SBarSmoothSplineChange();
    void BtnSplineAutoClick();
    void KurveClick(const TModel& model);   // fits a nonlinear model; one that does not converge raises
    void Formel1Click();
    void FormClose();
    void Ende1Click();
    void Info1Click();
    void Hilfe1Click();
    void ErgebnisAnClipboardClick();
    void Grafikspeichern1Click();
    void WerteTabelleladen1Click();
    void WerteTabellespeichern1Click();
    // Both axes to the range of the engine's points (nothing without points).
    void AchsenAnpassen1Click();
    void Statistik1Click();
    void Konfidenzband1Click();
    // Loads a table file into the value table (menu, drop, command line); false when cancelled.
    bool LoadTableFile(const std::string& fileName, bool skipMissing = false);
    void FormMouseMove();

    // shared steps
    void DisableOptionWidgets();
    void SetOptionWidgets(bool order, bool smoothing);  // enables the order or smoothing widgets, the others off
    void StripCurveItems();
    void UpdateOrderLimit();
    void DrawSplineCurve();
    // Both axes to show x from xLow to xHigh and y from yLow to yHigh with a margin, as "Reset
    // Axis" sets them; the upper ends go into "Graph Xmax" and "Graph Ymax".
    void FitAxes(double xLow, double xHigh, double yLow, double yHigh);
    // Switches the interface to `language` ("de" or "en") and remembers the choice.
    void SpracheClick(const QString& language);
    // Every text of the window in the current language, with its mnemonic.
    void RetranslateUi();
    // The parameter line's text, in a font small enough to show all of it; the whole text is
    // also its tooltip.
    void SetParamsText(const QString& text);

    // the texts the program shows
    static constexpr const char* kDataFileName = "cfit.asc";
    static constexpr const char* kDataFileComment = "Data exported from QZL TCurveFit";
    static constexpr const char* kCaption = QT_TR_NOOP("      Kalmira    -    Univariante Regression");

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void SetUpKeyboard();
    void CreateLanguageMenu();
    void CreateCurveMenu();
    void RetranslateCurveMenu();
    void SmoothBarMoved();
    void ConfigureChart();
    void LayoutClient();
    void LayoutPanel2();
    void ReleaseFitButtons();
    void ShowResult(const std::string& formula, const std::string& params);
    void ClearResult();
    bool PointRange(double& xLow, double& xHigh, double& yLow, double& yHigh) const;
    bool DataInSight() const;
    void FitAxesToPoints();
    void AddCurveItems(const TSampledCurve& curve);
    bool MarksAreDense() const;
    std::string TruncationText(const TFitResult& fit) const;
    bool FitAndDraw(const TModel& model);
    void DrawFit(const TFitResult& fit, const TSampledCurve& curve);
    void ShowFollowedSpline(const TSplineFollower::TResult& result);
    void RunClosedFormCommand(TModelKind kind);
    // the statistics of the last fit, its bands and the statistics window (fitstatistics.cpp)
    void CreateStatisticsMenu();
    void RetranslateStatisticsMenu();
    void FollowLastFit();
    void ForgetLastFit();
    bool StatisticsAsked() const;
    bool LastFitDataKept() const;
    bool EnsureLastFitStatistics();
    bool CurveIsLast() const;
    void AddBandItems(const TFitResult& fit);
    void UpdateStatisticsWindow();

    TCurveFit m_stats;
    std::optional<TFitResult> m_lastFit;  // the fit whose result the window shows, if any
    int m_lastFitPoints = 0;
    bool m_lastFitStatistics = false;  // AddStatistics has run on the last fit
    bool m_lastFitDataKept = false;    // no take-over has replaced the points since the last fit
    int m_curveEnd = -1;               // the item count after the last fit's curve (-1: no fit)
    int m_bandItems = 0;               // the band's items after the curve
    QWidget* m_client = nullptr;
    bool m_sizedToFrame = false;
    // While the bar's handle is dragged the spline of the newest position is prepared on a worker.
    TSplineFollower m_follower{this, [this](const TSplineFollower::TResult& r) { ShowFollowedSpline(r); }};
};
