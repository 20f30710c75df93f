// The main window: its controls at their fixed places, the chart's settings, and the handlers
// that are not fit commands (those are in fitcommands.cpp).
#include "app/frmmain.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QScreen>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "app/errorbox.h"
#include "app/floatedit.h"
#include "app/formhilfe.h"
#include "app/helpwindow.h"
#include "app/resultclipboard.h"
#include "app/glyphs.h"
#include "app/panel.h"
#include "app/smoothbar.h"
#include "app/speedbutton.h"
#include "app/spinedit.h"
#include "app/uifont.h"
#include "app/valuegrid.h"
#include "chart/chart.h"
#include "numlab/numlab.h"
#include "platform/colors.h"
#include "platform/cursors.h"
#include "platform/localefmt.h"
#include "platform/msgbox.h"

namespace {

constexpr int kWindowWidth = 841;       // outer size, also the smallest
constexpr int kWindowHeight = 657;
constexpr int kToolbarHeight = 41;
constexpr int kResultHeight = 64;
constexpr int kCommandsWidth = 270;
// Height of the command panel the bottom controls are placed for; they keep their distance to
// the panel's bottom edge.
constexpr int kCommandsDesignHeight = 500;
constexpr int kMarkKindPoint = 26;

constexpr const char* kTableEmpty = QT_TRANSLATE_NOOP("TFrmMain", "Tabelle ist leer");
// Said when filled rows lie below the empty X cell that ends the table.
constexpr const char* kRowsLeftBelow =
    QT_TRANSLATE_NOOP("TFrmMain", "Zeile %1 hat keinen X-Wert: die Werte ab Zeile %2 wurden nicht übernommen");
constexpr const char* kEntryHint = "click into chart to enter new data points";

QLabel* MakeLabel(QWidget* parent, const char* text, int x, int y, int w, int h)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setGeometry(x, y, w, h);
    return label;
}

TSpeedButton* MakeFitButton(QWidget* parent, const char* caption, int x, int y)
{
    auto* b = new TSpeedButton(parent);
    b->setText(caption);
    b->setGeometry(x, y, 80, 26);
    b->SetGroupIndex(99);
    b->SetAllowAllUp(true);
    return b;
}

// Plain areas of the window report mouse moves (the cursor reset).
class TClientArea : public TPanel {
public:
    using TPanel::TPanel;
};

}  // namespace

TFrmMain::TFrmMain(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(kCaption);
    setFont(UiFont("Arial", 13));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(clBtnFace));
    // Black text for enabled controls only; disabled ones keep the style's grey.
    pal.setColor(QPalette::Active, QPalette::WindowText, Qt::black);
    pal.setColor(QPalette::Inactive, QPalette::WindowText, Qt::black);
    setPalette(pal);
    move(453, 268);
    resize(kWindowWidth, kWindowHeight);
    setMinimumSize(kWindowWidth, kWindowHeight);
    CreateControls();
    ConfigureChart();
    setAcceptDrops(true);
    FormHilfe = new TFormHilfe(this);
    FormHilfe->hide();
}

TFrmMain::~TFrmMain()
{
    // The chart may call back while it goes; nothing of ours is reached after this point.
    RChart1->OnMouseDown = nullptr;
    RChart1->OnZoomReset = nullptr;
}

void TFrmMain::CreateControls()
{
    // menu
    QMenu* datei = menuBar()->addMenu("Datei");
    Datei1 = datei->menuAction();
    ErgebnisAnClipboard = datei->addAction("Ergebnis an Clipboard");
    WerteTabellespeichern1 = datei->addAction("Werte-Tabelle speichern");
    WerteTabelleladen1 = datei->addAction("Werte-Tabelle laden");
    Grafikspeichern1 = datei->addAction("Grafik speichern");
    AchsenAnpassen1 = datei->addAction("Achsen an Daten anpassen");
    Ende1 = datei->addAction("Ende");
    Hilfe1 = menuBar()->addAction("Hilfe");
    Info1 = menuBar()->addAction("Info");
    connect(ErgebnisAnClipboard, &QAction::triggered, this,
            [this] { RunHandler([this] { ErgebnisAnClipboardClick(); }); });
    connect(WerteTabellespeichern1, &QAction::triggered, this,
            [this] { RunHandler([this] { WerteTabellespeichern1Click(); }); });
    connect(WerteTabelleladen1, &QAction::triggered, this,
            [this] { RunHandler([this] { WerteTabelleladen1Click(); }); });
    connect(Grafikspeichern1, &QAction::triggered, this, [this] { RunHandler([this] { Grafikspeichern1Click(); }); });
    connect(AchsenAnpassen1, &QAction::triggered, this, [this] { RunHandler([this] { AchsenAnpassen1Click(); }); });
    connect(Ende1, &QAction::triggered, this, [this] { RunHandler([this] { Ende1Click(); }); });
    connect(Info1, &QAction::triggered, this, [this] { RunHandler([this] { Info1Click(); }); });
    connect(Hilfe1, &QAction::triggered, this, [this] { RunHandler([this] { Hilfe1Click(); }); });

    auto* client = new TClientArea(this);
    client->SetBevel(false);
    m_client = client;
    setCentralWidget(client);
    client->OnResize = [this](TPanel&) { LayoutClient(); };
    client->OnMouseMove = [this](TPanel&) { FormMouseMove(); };

    // toolbar
    Panel3 = new TPanel(client);
    SBNewPnts = new TSpeedButton(Panel3);
    SBNewPnts->setText("Test-Eingabe");
    SBNewPnts->setGeometry(19, 1, 125, 39);
    SBNewPnts->SetGroupIndex(98);
    SBNewPnts->SetAllowAllUp(true);
    SBNewPnts->setToolTip("Enter data points");
    SBNewPnts->setFont(UiFont("Tahoma", 13));
    SBNewPnts->SetGlyph(GlyphIcon(PenGlyphImage()));
    SBNewPnts->setIconSize(QSize(21, 21));
    SBClear = new TSpeedButton(Panel3);
    SBClear->setText("Grafik Clear");
    SBClear->setGeometry(144, 1, 125, 39);
    SBClear->setToolTip("Clear all data");
    SBClear->setFont(UiFont("Tahoma", 13));
    SBClear->SetGlyph(GlyphIcon(CrossGlyphImage()));
    SBClear->setIconSize(QSize(21, 21));

    NLabFitQual = new TNumLab(Panel3);
    NLabFitQual->setGeometry(608, 8, 193, 22);
    NLabFitQual->Font().SetName("Arial");
    NLabFitQual->Font().SetHeight(13);
    NLabFitQual->Font().SetColor(clBlack);
    NLabFitQual->SetLeftText("Anpassungsgrad:  ");
    NLabFitQual->SetLeftSpace(120);
    NLabFitQual->SetLeftTextAlignment(taRightJustify);
    NLabFitQual->SetLabelWidth(60);
    NLabFitQual->SetDisplayType(dtFixP);
    NLabFitQual->SetPrecision(4);
    NLabFitQual->SetAlignment(taCenter);
    NLabFitQual->SetColorScheme(csBWG);
    NLabFitQual->SetColorLabBakG(clSilver);
    NLabFitQual->SetColorLabText(clBlack);
    NLabFitQual->SetColorOutBakG(clBtnFace);
    NLabFitQual->SetColorOutText(clBlack);
    NLabFitQual->SetFrameStyle(fsLowered);
    NLabFitQual->SetComma(false);
    NLabFitQual->SetForcePlusSign(false);
    // No curve, no figure: the label shows a quality only while the curve it belongs to is drawn.
    NLabFitQual->SetEmpty(true);
    NLabFitQual->SetOverflowIndicator("*********");
    NLabFitQual->SetStateText("undefined");
    NLabFitQual->SetDTFormat("mmm-dd, yyyy");
    NLabFitQual->SetRightTextAlignment(taLeftJustify);
    NLabFitQual->SetTransparent(false);

    // result panel
    Panel1 = new TPanel(client);
    Panel1->SetColor(clWhite);
    Panel1->OnMouseMove = [this](TPanel&) { FormMouseMove(); };
    Label1 = MakeLabel(Panel1, "Result:", 17, 17, 61, 23);
    Label1->setFont(UiFont("Arial", 20));
    LblFormula = MakeLabel(Panel1, "y = kx + d", 99, 6, 726, 22);
    LblFormula->setFont(UiFont("Tahoma", 17));
    LblFormula->hide();
    LblParams = MakeLabel(Panel1, "", 99, 41, 726, 16);
    LblParams->setFont(UiFont("Tahoma", 13));

    RChart1 = new TRChart(client);

    // commands
    Panel2 = new TPanel(client);
    Panel2->OnMouseMove = [this](TPanel&) { FormMouseMove(); };
    Panel2->OnResize = [this](TPanel&) { LayoutPanel2(); };
    BButLinFit = MakeFitButton(Panel2, "Lin", 8, 10);
    BButLogFit = MakeFitButton(Panel2, "Log", 92, 10);
    BButParabolFit = MakeFitButton(Panel2, "Parabolic", 176, 10);
    BButCalcReciprLine = MakeFitButton(Panel2, "Reciproc", 8, 40);
    SBRecipLog = MakeFitButton(Panel2, "Recip.Log.", 92, 40);
    SBExpo = MakeFitButton(Panel2, "Expon.", 177, 40);
    BButPolynomial = MakeFitButton(Panel2, "Polynom", 8, 86);
    SEPolyOrder = new TSpinEdit(Panel2);
    SEPolyOrder->setGeometry(100, 87, 57, 26);
    SEPolyOrder->SetMinValue(1);
    SEPolyOrder->SetMaxValue(9);
    SEPolyOrder->SetIncrement(1);
    SEPolyOrder->SetValue(1);
    SEPolyOrder->setEnabled(false);
    LblPolyOrder = MakeLabel(Panel2, "Poly.-Order", 164, 92, 65, 16);
    LblPolyOrder->setAlignment(Qt::AlignRight | Qt::AlignTop);
    LblPolyOrder->setEnabled(false);
    BButSpline = MakeFitButton(Panel2, "Spline", 9, 128);
    SBarSmoothSpline = new TSmoothBar(Panel2);
    SBarSmoothSpline->setGeometry(100, 130, 109, 24);
    SBarSmoothSpline->setRange(0, 1000);
    // An arrow moves the factor by 1 %, a click into the trough by 10 % (a page of 0 would make
    // the trough do nothing, and single steps of 1/1000 leave only dragging).
    SBarSmoothSpline->setSingleStep(10);
    SBarSmoothSpline->setPageStep(100);
    SBarSmoothSpline->setValue(1000);
    LblSmoothSpline = MakeLabel(Panel2, "Smoot\nFactor", 212, 126, 38, 32);
    LblSmoothSpline->setEnabled(false);
    BtnSplineAuto = new QPushButton("Auto", Panel2);
    BtnSplineAuto->setGeometry(100, 156, 56, 19);
    BtnSplineAuto->setEnabled(false);

    GraphXmaxEdit = new TFloatEdit(Panel2);
    GraphXmaxEdit->setGeometry(8, 192, 80, 24);
    GraphXmaxEdit->SetDecimals(2);
    // 10 with two decimals in the locale's own separator, so the axis reset reads it in any locale.
    GraphXmaxEdit->SetValue(10.0);
    GraphXmaxLabel = MakeLabel(Panel2, "Graph Xmax", 8, 176, 80, 16);
    GraphYmaxEdit = new TFloatEdit(Panel2);
    GraphYmaxEdit->setGeometry(102, 192, 80, 24);
    GraphYmaxEdit->SetDecimals(2);
    GraphYmaxEdit->SetValue(10.0);
    GraphYmaxLabel = MakeLabel(Panel2, "Graph Ymax", 102, 176, 80, 16);
    ResetAxisButton = new QPushButton("Reset\nAxis", Panel2);
    ResetAxisButton->setGeometry(192, 178, 65, 41);

    Label2 = MakeLabel(Panel2, "Wertetabelle (manuelle Eingabe)", 8, 226, 249, 16);
    WerteTabelleGrid = new TValueGrid(Panel2);
    WerteTabelleGrid->setGeometry(8, 245, 249, 212);
    WerteTabelleGrid->setFont(UiFont("Tahoma", 13));
    BitBtn2 = new QPushButton("Clear Table", Panel2);
    BitBtn2->setGeometry(10, 462, 89, 25);
    WerteUebernehmenBtn = new QPushButton(QString::fromUtf8("Werte übernehmen"), Panel2);
    WerteUebernehmenBtn->setGeometry(112, 462, 145, 25);

    // handlers
    SBNewPnts->OnClick = [this](TSpeedButton&) { RunHandler([this] { SBNewPntsClick(); }); };
    SBClear->OnClick = [this](TSpeedButton&) { RunHandler([this] { SBClearClick(); }); };
    BButLinFit->OnClick = [this](TSpeedButton&) { RunHandler([this] { BButLinFitClick(); }); };
    BButLogFit->OnClick = [this](TSpeedButton&) { RunHandler([this] { BButLogFitClick(); }); };
    BButParabolFit->OnClick = [this](TSpeedButton&) { RunHandler([this] { BButParabolFitClick(); }); };
    BButCalcReciprLine->OnClick = [this](TSpeedButton&) { RunHandler([this] { BButCalcReciprLineClick(); }); };
    SBRecipLog->OnClick = [this](TSpeedButton&) { RunHandler([this] { SBRecipLogClick(); }); };
    SBExpo->OnClick = [this](TSpeedButton&) { RunHandler([this] { SBExpoClick(); }); };
    BButPolynomial->OnClick = [this](TSpeedButton&) { RunHandler([this] { BButPolynomialClick(); }); };
    BButSpline->OnClick = [this](TSpeedButton&) { RunHandler([this] { BButSplineClick(); }); };
    // The polynomial command that a change of the order runs shows its own errors, also when the
    // change comes from another handler lowering the order, which then goes on.
    SEPolyOrder->OnChange = [this](TSpinEdit&) { RunHandler([this] { SEPolyOrderChange(); }); };
    connect(SBarSmoothSpline, &QScrollBar::valueChanged, this, [this] { SmoothBarMoved(); });
    connect(BtnSplineAuto, &QPushButton::clicked, this, [this] { RunHandler([this] { BtnSplineAutoClick(); }); });
    // The busy cursor of "Auto" goes when the worker's run ends, however it ends.
    m_follower.OnIdle = [this](TSplineFollower&) { unsetCursor(); };
    connect(ResetAxisButton, &QPushButton::clicked, this, [this] { RunHandler([this] { ResetAxisButtonClick(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { RunHandler([this] { BitBtn2Click(); }); });
    connect(WerteUebernehmenBtn, &QPushButton::clicked, this,
            [this] { RunHandler([this] { WerteUebernehmenBtnClick(); }); });
    CreateLanguageMenu();
    CreateCurveMenu();
    CreateStatisticsMenu();
    SetUpKeyboard();
    RetranslateUi();
}

void TFrmMain::SmoothBarMoved()
{
    auto redraw = [this] {
        try {
            SBarSmoothSplineChange();
        } catch (...) {
            // The error box takes the mouse, so the release of a press held on the bar never
            // reaches it and the bar would go on stepping, a box for every step. The press ends
            // here.
            QMouseEvent release(QEvent::MouseButtonRelease, QPointF(-1, -1), QPointF(-1, -1), Qt::LeftButton,
                                Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(SBarSmoothSpline, &release);
            ShowCurrentException();
        }
    };
    if (!SBarSmoothSpline->isSliderDown()) {
        redraw();
        return;
    }
    // While the handle is dragged the spline of the newest position is prepared on the worker;
    // the curve shown stays until the new one is there.
    m_follower.Start(m_stats, {mkSpline, 0, SBarSmoothSpline->value() / 1000.0}, RChart1->Scale1X().RangeLow(),
                     RChart1->Scale1X().RangeHigh());
}

void TFrmMain::ShowFollowedSpline(const TSplineFollower::TResult& result)
{
    try {
        StripCurveItems();
        SBNewPnts->SetDown(false);
        ForgetLastFit();
        if (result.Error) std::rethrow_exception(result.Error);
        DrawFit(result.Fit, result.Curve);
        if (result.Fit.Model.SplineAuto) {
            // The bar goes to the position nearest the chosen factor without drawing again: the
            // curve is the one of the factor itself.
            const QSignalBlocker quiet(SBarSmoothSpline);
            SBarSmoothSpline->setValue(int(std::lround(result.Fit.Coefficients.front() * 1000.0)));
        }
    } catch (...) {
        // The error box takes the mouse, so the release of the press held on the bar never
        // reaches it; the press ends here.
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(-1, -1), QPointF(-1, -1), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(SBarSmoothSpline, &release);
        RChart1->ShowItems();
        ShowCurrentException();
    }
}

void TFrmMain::ConfigureChart()
{
    TRChart& c = *RChart1;
    c.BeginLoading();
    c.Font().SetName("Microsoft Sans Serif");
    c.Font().SetHeight(17);
    c.Font().SetColor(clBlack);
    c.SetAllocSize(1000);
    c.SetAutoRedraw(true);
    c.SetMarginRight(16);
    c.SetMarginTop(20);
    c.SetMarginBottom(40);
    c.SetGridStyle(gsDotLines);
    c.SetGridColor(clSilver);
    c.SetDataColor(clGreen);
    c.SetClassDefault(0);
    c.SetIsometric(false);
    c.SetMouseAction(maPan);
    c.SetMouseCursorFixed(false);
    for (int k = 1; k <= 4; ++k) {
        TCrossHair& h = c.CrossHair(k);
        h.SetMode(chOff);
        h.SetColor(clBlack);
        h.SetLineType(psSolid);
        h.SetLineWid(1);
        h.SetLayer(k);
    }
    c.SetShadowStyle(ssFlying);
    c.SetShadowColor(clGray);
    c.SetShadowBakColor(clSilver);
    c.SetTextFontStyle(0);
    c.SetTextBkStyle(tbClear);
    c.SetTextBkColor(clWhite);
    c.SetTextAlignment(taCenter);
    c.SetCaptionPosX(0);
    c.SetCaptionPosY(-16);
    c.SetCaptionAlignment(taCenter);
    c.SetCaptionAnchorHoriz(cahChartRight);
    c.SetCaptionAnchorVert(cavChartTop);
    TBakGndImg& bg = c.BackGroundImg();
    bg.SetIncludePath(false);
    bg.SetFillMode(bfStretch);
    bg.SetAreaMode(bamNone);
    bg.SetAreaColor(14540253);
    bg.SetAreaLeft(-1);
    bg.SetAreaRight(1);
    bg.SetAreaTop(1);
    bg.SetAreaBottom(-1);
    for (int layer = 1; layer <= 16; ++layer) {
        c.JointLayers().SetXControlledBy(layer, layer);
        c.JointLayers().SetYControlledBy(layer, layer);
    }

    auto dateFormat = [](TScaleProps& s) {
        TDTLabel& d = s.DateFormat();
        d.SetTimeFormat(tfHHMMSS);
        d.SetDateSeparator('-');
        d.SetTimeSeparator(':');
        d.SetYearLength(ylYYYY);
        d.SetMonthName(true);
        d.SetDateOrder(doDDMMYY);
        d.SetDateForTime(dtOnePerDay);
    };
    auto mainAxis = [&](TScaleProps& s) {
        s.SetVisible(true);
        s.SetRangeLow(0.0);
        s.SetRangeHigh(10.0);
        s.SetMinTicks(6);
        s.SetMinRange(1e-10);
        s.SetDecPlaces(-2);
        s.SetLabelType(ftNum);
        s.SetLogarithmic(false);
        s.SetShortTicks(false);
        s.SetScalePos(0);
        s.SetColorScale(clBlack);
        s.Font().SetName("MS Sans Serif");
        s.Font().SetHeight(13);
        dateFormat(s);
    };
    c.Scale1X().SetScaleLocation(slBottom);
    mainAxis(c.Scale1X());
    c.Scale1X().SetCaptionAnchor(uaSclCenter);
    c.Scale1X().SetCaptionPosX(0);
    c.Scale1X().SetCaptionPosY(22);
    c.Scale1Y().SetScaleLocation(slLeft);
    mainAxis(c.Scale1Y());
    c.Scale1Y().SetCaptionAlignment(taLeftJustify);
    c.Scale1Y().SetCaptionAnchor(uaSclTopLft);
    c.Scale1Y().SetCaptionPosX(0);
    c.Scale1Y().SetCaptionPosY(-16);

    const TColor colours[] = {clMaroon, clGreen, clOlive};
    for (int layer = 2; layer <= 4; ++layer) {
        for (TScaleProps* s : {static_cast<TScaleProps*>(&c.ScalePropsX(layer)),
                               static_cast<TScaleProps*>(&c.ScalePropsY(layer))}) {
            s->SetVisible(false);
            s->SetMinTicks(3);
            s->SetShortTicks(true);
            s->SetColorScale(colours[layer - 2]);
        }
        c.ScalePropsX(layer).SetRangeHigh(1.0);
        c.ScalePropsY(layer).SetRangeHigh(layer == 2 ? 0.837937384898711 : 1.0);
    }
    c.Loaded();

    c.OnMouseDown = [this](TCustomRChart&, TMouseButton, TShiftState, int X, int Y) {
        RunHandler([&] { RChart1MouseDown(X, Y); });
    };
    // Zoom: the wheel about the point under the mouse, a right-button rectangle, and a right-button
    // double click back to the ranges of "Reset Axis". In entry mode every button's click enters a
    // point, so the right-button zoom rests while the entry button is down.
    c.SetWheelZoom(true);
    c.SetRightButtonZoom(!SBNewPnts->Down());
    c.OnZoomReset = [this](TCustomRChart&) { RunHandler([this] { ResetAxisButtonClick(); }); };
    connect(SBNewPnts, &QAbstractButton::toggled, this, [this](bool down) { RChart1->SetRightButtonZoom(!down); });
}

void TFrmMain::LayoutClient()
{
    const int w = m_client->width(), h = m_client->height();
    Panel3->setGeometry(0, 0, w, kToolbarHeight);
    Panel1->setGeometry(0, kToolbarHeight, w, kResultHeight);
    const int top = kToolbarHeight + kResultHeight;
    const int rest = std::max(0, h - top);
    RChart1->setGeometry(0, top, std::max(0, w - kCommandsWidth), rest);
    Panel2->setGeometry(std::max(0, w - kCommandsWidth), top, kCommandsWidth, rest);
}

void TFrmMain::LayoutPanel2()
{
    // The bottom buttons keep their distance to the panel's bottom edge; the table keeps its top
    // and takes the height in between. The table's title stays above the table (were it to move
    // down with the buttons it would cover the table's first rows).
    const int grow = Panel2->height() - kCommandsDesignHeight;
    WerteTabelleGrid->setGeometry(8, 245, 249, std::max(60, 212 + grow));
    const int buttonsY = std::max(245 + 60 + 5, 462 + grow);
    BitBtn2->move(10, buttonsY);
    WerteUebernehmenBtn->move(112, buttonsY);
}

void TFrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_sizedToFrame) return;
    m_sizedToFrame = true;
    // The outer size counts the window manager's frame; without a frame the whole size is ours.
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame.width() > 0 || frame.height() > 0) {
        setMinimumSize(kWindowWidth - frame.width(), kWindowHeight - frame.height());
        resize(kWindowWidth - frame.width(), kWindowHeight - frame.height());
    }
    // The start position suits a large screen; on a smaller (or scaled) one the window moves
    // inside, so none of it starts off the screen.
    if (const QScreen* s = screen()) {
        const QRect avail = s->availableGeometry();
        const QRect outer = frameGeometry();
        const int x = std::clamp(outer.x(), avail.left(), std::max(avail.left(), avail.right() + 1 - outer.width()));
        const int y = std::clamp(outer.y(), avail.top(), std::max(avail.top(), avail.bottom() + 1 - outer.height()));
        if (x != outer.x() || y != outer.y()) move(x, y);
    }
}

void TFrmMain::closeEvent(QCloseEvent* event)
{
    try {
        FormClose();
        event->accept();
    } catch (...) {
        // Writing the file failed half-way: the user sees why and the window stays open.
        ShowCurrentException();
        event->ignore();
    }
}

// ---- handlers ------------------------------------------------------------------------------

void TFrmMain::DisableOptionWidgets()
{
    SetOptionWidgets(false, false);
}

void TFrmMain::SetOptionWidgets(bool order, bool smoothing)
{
    SBarSmoothSpline->setEnabled(smoothing);
    LblSmoothSpline->setEnabled(smoothing);
    BtnSplineAuto->setEnabled(smoothing);
    LblPolyOrder->setEnabled(order);
    // Switching off the order edit while it has the focus clamps its typed text as the focus
    // leaves; that clamp is no order chosen by the user, so it does not rerun the polynomial
    // command in the middle of the command that runs now.
    if (order) {
        SEPolyOrder->setEnabled(true);
        return;
    }
    auto onChange = std::exchange(SEPolyOrder->OnChange, nullptr);
    SEPolyOrder->setEnabled(false);
    SEPolyOrder->OnChange = std::move(onChange);
}

void TFrmMain::StripCurveItems()
{
    // A spline still being prepared for the bar would bring its curve back.
    m_follower.Stop();
    for (auto kind = RChart1->KindOfLastItem(); kind != ikMark && kind != ikNone; kind = RChart1->KindOfLastItem())
        RChart1->DropLastItem();
    NLabFitQual->SetEmpty(true);
}

void TFrmMain::UpdateOrderLimit()
{
    const int n = m_stats.PointCount();
    if (n <= 9) SEPolyOrder->SetMaxValue(n - 1);
    if (SEPolyOrder->Value() > SEPolyOrder->MaxValue()) SEPolyOrder->SetValue(SEPolyOrder->MaxValue());
}

void TFrmMain::ReleaseFitButtons()
{
    for (TSpeedButton* b : {BButLinFit, BButLogFit, BButParabolFit, BButCalcReciprLine, SBRecipLog, SBExpo,
                            BButPolynomial, BButSpline})
        b->SetDown(false);
}

void TFrmMain::RChart1MouseDown(int X, int Y)
{
    if (!SBNewPnts->Down()) return;
    m_follower.Stop();
    double x = 0.0, y = 0.0;
    RChart1->MouseToWorld(1, X, Y, x, y);
    RChart1->AddMark(kMarkKindPoint, x, y);
    m_stats.AddPoint(x, y);
    UpdateOrderLimit();
    RChart1->ShowItems();
}

void TFrmMain::SBNewPntsClick()
{
    DisableOptionWidgets();
    ReleaseFitButtons();
    StripCurveItems();
    RChart1->ShowItems();
    LblFormula->setVisible(false);
    SetParamsText(SBNewPnts->Down() ? kEntryHint : "");
    LblParams->setVisible(true);
}

void TFrmMain::WerteUebernehmenBtnClick()
{
    ReleaseFitButtons();
    m_follower.Stop();
    // The table replaces the points: the engine's and the chart's, marks and curve alike, so the
    // chart shows what the engine holds. Points clicked in afterwards are added as always.
    m_stats.ClearData();
    RChart1->ClearItems();
    ClearResult();
    m_lastFitDataKept = false;
    const TValueGridModel& table = WerteTabelleGrid->Model();
    int r = 0;
    while (!table.CellEmpty(0, r)) ++r;
    const int n = r - 1;
    // Values below the empty X cell that ends the table are not taken; the box says where they are.
    const int below = table.FirstFilledRowFrom(r + 1);
    const std::string leftBelow =
        below == 0 ? std::string()
                   : tr(kRowsLeftBelow).arg(r).arg(below).toStdString();
    if (n <= 0) {
        const std::string empty = tr(kTableEmpty).toStdString();
        ShowMessageBox(below == 0 ? empty : empty + ": " + leftBelow, "", mbiWarning, true);
    } else {
        // The rows go over in blocks: the marks of a block are appended in one call, and the
        // engine's table takes all rows without growing on the way.
        m_stats.ReservePoints(n);
        constexpr int kBlock = 65536;
        std::vector<double> xs, ys;
        xs.reserve(std::size_t(std::min(n, kBlock)));
        ys.reserve(std::size_t(std::min(n, kBlock)));
        for (int first = 1; first <= n; first += kBlock) {
            const int last = std::min(n, first + kBlock - 1);
            xs.clear();
            ys.clear();
            const auto appendMarks = [&] { RChart1->AddMarks(kMarkKindPoint, xs, ys); };
            try {
                for (int row = first; row <= last; ++row) {
                    const double x = table.CellValue(0, row);
                    const double y = table.CellValue(1, row);
                    xs.push_back(x);
                    ys.push_back(y);
                    m_stats.AddPoint(x, y);
                }
            } catch (...) {
                // A cell that is no number ends the transfer; the rows before it stay, and the
                // chart shows them, since the old marks are gone.
                appendMarks();
                RChart1->ShowItems();
                throw;
            }
            appendMarks();
        }
        UpdateOrderLimit();
        if (!DataInSight()) FitAxesToPoints();
    }
    RChart1->ShowItems();
    if (n > 0 && below != 0) ShowMessageBox(leftBelow, "", mbiWarning, true);
}

void TFrmMain::BitBtn2Click()
{
    WerteTabelleGrid->Model().ClearCells();
    // Typing goes on in the first row, in sight: a table scrolled down would otherwise take the
    // next values into rows below an empty first row.
    WerteTabelleGrid->scrollToTop();
    WerteTabelleGrid->setCurrentIndex(WerteTabelleGrid->Model().index(0, 0));
    WerteTabelleGrid->setFocus();
}

void TFrmMain::SBClearClick()
{
    m_follower.Stop();
    m_stats.ClearData();
    RChart1->ClearItems();
    RChart1->ShowItems();
    SBNewPnts->SetDown(false);
    ClearResult();
    DisableOptionWidgets();
}

// No fit shown: no quality figure, no formula, and the parameter line empty but for the hint of
// entry mode.
void TFrmMain::ClearResult()
{
    ForgetLastFit();
    NLabFitQual->SetEmpty(true);
    LblFormula->setVisible(false);
    LblParams->setVisible(true);
    SetParamsText(SBNewPnts->Down() ? kEntryHint : "");
}

void TFrmMain::ResetAxisButtonClick()
{
    RChart1->Scale1X().SetRangeLow(0.0);
    RChart1->Scale1X().SetRangeHigh(GraphXmaxEdit->Value());
    RChart1->Scale1Y().SetRangeLow(0.0);
    RChart1->Scale1Y().SetRangeHigh(GraphYmaxEdit->Value());
}

namespace {

// Share of the data's span left free beyond each end of an axis fitted to the data.
constexpr double kAxisMargin = 0.05;

// The ends an axis gets to show values from lo to hi: a margin on each side. The axes of this
// window start at 0, and they keep 0 in sight when the values lie on one side of it closer to it
// than their own span.
std::pair<double, double> AxisEnds(double lo, double hi)
{
    const double span = hi - lo;
    const double margin = span > 0 ? span * kAxisMargin : hi != 0 ? std::abs(hi) * kAxisMargin : 1.0;
    double low = lo - margin, high = hi + margin;
    if (lo >= 0 && lo < span) low = 0;
    if (hi <= 0 && -hi < span) high = 0;
    return {low, high};
}

}  // namespace

void TFrmMain::FitAxes(double xLow, double xHigh, double yLow, double yHigh)
{
    const auto [x1, x2] = AxisEnds(xLow, xHigh);
    const auto [y1, y2] = AxisEnds(yLow, yHigh);
    RChart1->SetLayerRange(1, x1, y1, x2, y2);
    GraphXmaxEdit->SetValue(x2);
    GraphYmaxEdit->SetValue(y2);
}

// The smallest and largest x and y of the engine's points; false without points.
bool TFrmMain::PointRange(double& xLow, double& xHigh, double& yLow, double& yHigh) const
{
    const int n = m_stats.PointCount();
    if (n == 0) return false;
    const TMatrix& t = m_stats.PointTable();
    const double* xs = t.ColumnData(1);
    const double* ys = t.ColumnData(2);
    const auto [x1, x2] = std::minmax_element(xs, xs + n);
    const auto [y1, y2] = std::minmax_element(ys, ys + n);
    xLow = *x1, xHigh = *x2, yLow = *y1, yHigh = *y2;
    return true;
}

// Every point of the engine lies within the axes' ranges (either direction of an axis).
bool TFrmMain::DataInSight() const
{
    double xLow = 0, xHigh = 0, yLow = 0, yHigh = 0;
    if (!PointRange(xLow, xHigh, yLow, yHigh)) return true;
    const auto inside = [](const TScaleProps& s, double lo, double hi) {
        const double a = std::min(s.RangeLow(), s.RangeHigh()), b = std::max(s.RangeLow(), s.RangeHigh());
        return lo >= a && hi <= b;
    };
    return inside(RChart1->Scale1X(), xLow, xHigh) && inside(RChart1->Scale1Y(), yLow, yHigh);
}

void TFrmMain::FitAxesToPoints()
{
    double xLow = 0, xHigh = 0, yLow = 0, yHigh = 0;
    if (PointRange(xLow, xHigh, yLow, yHigh)) FitAxes(xLow, xHigh, yLow, yHigh);
}

void TFrmMain::AchsenAnpassen1Click()
{
    FitAxesToPoints();
}

void TFrmMain::FormClose()
{
    std::string errorText;
    m_follower.Stop();
    // A file that cannot be created is skipped: closing must not depend on a writable folder.
    m_stats.WriteDataFile(kDataFileName, kDataFileComment, 6, errorText);
}

void TFrmMain::Ende1Click()
{
    close();
}

void TFrmMain::Info1Click()
{
    FormHilfe->exec();
}

void TFrmMain::Hilfe1Click()
{
    if (!HelpWindow) HelpWindow = new THelpWindow(this);
    HelpWindow->show();
    HelpWindow->raise();
    HelpWindow->activateWindow();
}

// A local file dragged over the window may be dropped: it is loaded into the value table.
void TFrmMain::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (data && data->hasUrls() && !data->urls().isEmpty() && data->urls().first().isLocalFile())
        event->acceptProposedAction();
}

void TFrmMain::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (!data || !data->hasUrls() || data->urls().isEmpty() || !data->urls().first().isLocalFile()) return;
    event->acceptProposedAction();
    const std::string file = data->urls().first().toLocalFile().toStdString();
    RunHandler([&] { LoadTableFile(file); });
}

void TFrmMain::ErgebnisAnClipboardClick()
{
    // The result shown is the last one drawn, whatever the spline worker prepares meanwhile.
    if (!m_lastFit) {
        ShowMessageBox(tr("Noch kein Ergebnis: erst Punkte eingeben und eine Kurve anpassen").toStdString(), "",
                       mbiInformation, true);
        return;
    }
    EnsureLastFitStatistics();  // the statistics go with the result while the fit's points are there
    const std::string text = ResultClipboardText(*m_lastFit, m_lastFitPoints, FormatSettings().DecimalSeparator);
    QApplication::clipboard()->setText(QString::fromStdString(text));
}

void TFrmMain::FormMouseMove()
{
    SetScreenCursor(crDefault);
}
