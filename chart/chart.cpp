// The chart control: construction, the published properties and their setter rules, loading,
// the paint lock and the change reactions.
#include "chart/chart.h"

#include <QShowEvent>

#include <cmath>

#include "platform/pixelratio.h"

namespace {

constexpr int kInitialWidth = 280;
constexpr int kInitialHeight = 200;
constexpr int kMaxShadowWidth = 32;
// Margins are kept within this many pixels either way. The resize rule grows the control until
// the margins fit, and every pixel of the control costs image memory; no screen needs more.
constexpr int kMaxMargin = 4000;
// Grid spacings below this value have no meaning.
constexpr double kLowestGridRule = -3.0;
constexpr int kBackgroundPictureSize = 10;
// Text labels are created with this shadow offset in pixels.
constexpr int kLabelShadowOffset = 3;

// The standard colours of the axes of layers 1..16.
constexpr std::array<TColor, kMaxLayers> kLayerColors = {
    clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clGray,
    clSilver, clRed, clLime, clYellow, clBlue, clFuchsia, clAqua, clWhite};
// Odd layers' axes lie below and left of the chart area, even layers' above and right; each
// pair of layers moves further out by these steps (pixels).
constexpr int kScalePosStepX = 30;
constexpr int kScalePosStepY = 50;

}  // namespace

TCustomRChart::TCustomRChart(QWidget* parent) : QWidget(parent)
{
    // The member initialisers hold the first settings: margins 50/10/16/32, caption at
    // (0, -15), AutoRedraw off while constructing, PaintLock set.
    m_classVisible.fill(true);
    m_layerVisible.fill(true);
    m_font.OnChange = [this](TFont&) { Repaint(); };

    for (int k = 1; k <= kMaxCrossHairs; ++k) {
        auto& hair = m_crossHairs[std::size_t(k - 1)];
        hair = std::make_unique<TCrossHair>();
        hair->SetLayer(k);
        hair->OnChange = [this](TCrossHair&) { PartChanged(); };
    }
    for (auto& label : m_textLabels) {
        label = std::make_unique<TTextLabel>();
        label->SetPosX(0);
        label->SetPosY(0);
        label->SetLayer(1);
        label->SetAttachToData(tlamBoth);
        label->SetAlignment(taCenter);
        label->SetVerticalAlignment(vaBottom);
        label->SetColorBkg(clWhite);
        label->SetColorBorder(clBlack);
        label->SetShadowDx(kLabelShadowOffset);
        label->SetShadowDy(kLabelShadowOffset);
        label->SetColorShadow(clGray);
        label->SetTransparent(false);
        label->SetCaption("");
        label->SetFont(m_font);
        label->SetVisible(false);
        label->SetMode(tlOff);
        label->OnChange = [this](TCustomTextLabel&) { PartChanged(); };
    }
    m_backGroundImg = std::make_unique<TBakGndImg>();
    m_backGroundImg->OnChange = [this](TBakGndImg&) { PartChanged(); };
    m_jointLayers = std::make_unique<TJointLayers>();
    m_jointLayers->OnJoin = [this](TJointLayers&, int layer, int controller, bool isX) {
        FollowJoin(layer, controller, isX);
    };
    m_jointLayers->OnChange = [this](TJointLayers&) { PartChanged(); };

    InitMouse();

    SizeDataImage(1);
    m_controlImage.SetSize(width(), height());
    m_backgroundPicture.SetSize(kBackgroundPictureSize, kBackgroundPictureSize);
    const TPixelAspect aspect = DisplayPixelAspect();
    m_aspectX = aspect.X;
    m_aspectY = aspect.Y;
    m_screenCanvas = std::make_unique<TCanvas>(&m_screenImage);

    for (int i = 1; i <= kMaxLayers; ++i) {
        const std::size_t n = std::size_t(i - 1);
        const bool odd = i % 2 == 1;
        ConnectScale(i, true);
        m_scaleX[n] = std::make_unique<TScalePropsHoriz>();
        auto& x = *m_scaleX[n];
        // Set through the setters before the chart listens: nothing is notified yet.
        x.SetColorScale(kLayerColors[n]);
        x.SetScaleLocation(odd ? slBottom : slTop);
        x.SetScalePos(((i - 1) / 2) * kScalePosStepX);
        x.OnChange = [this](TScaleProps&) { ScalePropsChanged(); };
        x.DateFormat().OnChange = [this](TDTLabel&) { ScalePropsChanged(); };

        ConnectScale(i, false);
        m_scaleY[n] = std::make_unique<TScalePropsVert>();
        auto& y = *m_scaleY[n];
        y.SetColorScale(kLayerColors[n]);
        y.SetScaleLocation(odd ? slLeft : slRight);
        y.SetScalePos(((i - 1) / 2) * kScalePosStepY);
        y.OnChange = [this](TScaleProps&) { ScalePropsChanged(); };
        y.DateFormat().OnChange = [this](TDTLabel&) { ScalePropsChanged(); };
    }

    m_paintLock = true;
    SetBounds(x(), y(), kInitialWidth, kInitialHeight);
    SetStandardLayout(rcl_X1Bottom_Y1Left);

    for (std::size_t n = 0; n < kMaxLayers; ++n) {
        for (TScale* scale : {m_scaleObjX[n], m_scaleObjY[n]}) {
            scale->SetTransparent(true);
            scale->SetColorBackGnd(m_windColor);
            scale->SetFrameStyle(fsNone);
        }
    }
    ResyncLayers(false, true);

    m_mouseAction = maNone;
    m_autoRedraw = true;
}

TCustomRChart::~TCustomRChart()
{
    m_font.OnChange = nullptr;
    for (auto& hair : m_crossHairs) hair->OnChange = nullptr;
    for (auto& label : m_textLabels) label->OnChange = nullptr;
    m_backGroundImg->OnChange = nullptr;
    m_jointLayers->OnChange = nullptr;
    for (std::size_t n = 0; n < kMaxLayers; ++n) {
        for (TScaleProps* p : {static_cast<TScaleProps*>(m_scaleX[n].get()),
                               static_cast<TScaleProps*>(m_scaleY[n].get())}) {
            p->OnChange = nullptr;
            p->DateFormat().OnChange = nullptr;
        }
        // The scale objects are child widgets; they must not call back while the chart goes.
        for (TScale* s : {m_scaleObjX[n], m_scaleObjY[n]}) {
            s->OnScaleTickDrawn = nullptr;
            s->OnBeforeTickLabel = nullptr;
            s->SetExternalCanvas(nullptr, 0, 0);
        }
    }
}

void TCustomRChart::ConnectScale(int layer, bool horizontal)
{
    const std::string name = std::string(horizontal ? "RC_FScale_X_" : "RC_FScale_Y_") + std::to_string(layer);
    auto* scale = new TScale(this);
    scale->setObjectName(QString::fromStdString(name));
    scale->SuspendPaint(true);
    scale->SetEmbedded(true);
    scale->SetExternalCanvas(&m_controlImage.Canvas(), 0, 0);
    scale->OnScaleTickDrawn = [this](TScale&, TCanvas& canvas, TScaleType type, double pos, int cx, int cy) {
        if (OnScaleTickDrawn) OnScaleTickDrawn(*this, canvas, type, pos, cx, cy);
    };
    scale->OnBeforeTickLabel = [this](TScale&, TScaleType type, double pos, std::string& label) {
        if (OnBeforeTickLabel) OnBeforeTickLabel(*this, type, pos, label);
    };
    (horizontal ? m_scaleObjX : m_scaleObjY)[std::size_t(layer - 1)] = scale;
}

// ------------------------------------------------------------------ lifecycle

void TCustomRChart::BeginLoading()
{
    m_loading = true;
}

void TCustomRChart::Loaded()
{
    m_loading = false;
    SyncAllScales();
    for (std::size_t n = 0; n < kMaxLayers; ++n) {
        m_scaleX[n]->SetLoading(TChartKey(), false);
        m_scaleY[n]->SetLoading(TChartKey(), false);
    }
    RecalcTransforms();
    Paint();
}

void TCustomRChart::WindowCreated()
{
    if (m_windowCreated) return;
    m_windowCreated = true;
    m_paintLock = false;  // without painting: the window's first paint request paints
}

void TCustomRChart::SetPaintLock(bool value)
{
    if (value == m_paintLock) return;
    m_paintLock = value;
    if (!value) Paint();
}

// ------------------------------------------------------------------ properties

void TCustomRChart::SetMarginLeft(int value)
{
    m_marginLeft = std::clamp(value, -kMaxMargin, kMaxMargin);
    MarginsChanged(true);
}

void TCustomRChart::SetMarginRight(int value)
{
    m_marginRight = std::clamp(value, -kMaxMargin, kMaxMargin);
    MarginsChanged(true);
}

void TCustomRChart::SetMarginTop(int value)
{
    m_marginTop = std::clamp(value, -kMaxMargin, kMaxMargin);
    MarginsChanged(true);
}

void TCustomRChart::SetMarginBottom(int value)
{
    m_marginBottom = std::clamp(value, -kMaxMargin, kMaxMargin);
    MarginsChanged(true);
}

void TCustomRChart::SetShadowWidth(int value)
{
    m_shadowWidth = std::clamp(value, 0, kMaxShadowWidth);
    MarginsChanged(false);
}

void TCustomRChart::MarginsChanged(bool applyIsometric)
{
    SizeDataImage(1);
    const bool isometric = applyIsometric && m_isometric;
    {
        // The isometric rule changes axes through their setters; they paint once, below.
        TPaintLockGuard lock(*this);
        ResyncLayers(isometric, false);
        RecalcTransforms();
        lock.ReleaseQuietly();
    }
    // Axis changes paint whatever AutoRedraw says.
    if (isometric)
        Paint();
    else
        Repaint();
}

void TCustomRChart::SetShadowStyle(TShadowStyle value)
{
    m_shadowStyle = value;
    Repaint();
}

void TCustomRChart::SetShadowColor(TColor value)
{
    m_shadowColor = value;
    Repaint();
}

void TCustomRChart::SetShadowBakColor(TColor value)
{
    m_shadowBakColor = value;
    Repaint();
}

void TCustomRChart::SetWindColor(TColor value)
{
    m_windColor = value;
    Repaint();
}

void TCustomRChart::SetChartColor(TColor value)
{
    m_chartColor = value;
    Repaint();
}

void TCustomRChart::SetChartFrameColor(TColor value)
{
    m_chartFrameColor = value;
    Repaint();
}

void TCustomRChart::SetGridStyle(GridStyleType value)
{
    m_gridStyle = value;
    Repaint();
}

void TCustomRChart::SetGridColor(TColor value)
{
    m_gridColor = value;
    Repaint();
}

void TCustomRChart::SetGridDx(double value)
{
    // NaN is refused with the values below the lowest rule: a grid walk cannot step by it.
    if (!(value >= kLowestGridRule)) return;
    m_gridDx = value;
    Repaint();
}

void TCustomRChart::SetGridDy(double value)
{
    if (!(value >= kLowestGridRule)) return;
    m_gridDy = value;
    Repaint();
}

void TCustomRChart::SetAutoRedraw(bool value)
{
    m_autoRedraw = value;
}

void TCustomRChart::SetCaption(const std::string& value)
{
    m_caption = value;
    Repaint();
}

void TCustomRChart::SetCaptionPosX(int value)
{
    m_captionPosX = value;
    Repaint();
}

void TCustomRChart::SetCaptionPosY(int value)
{
    m_captionPosY = value;
    Repaint();
}

void TCustomRChart::SetCaptionAlignment(TAlignment value)
{
    m_captionAlignment = value;
    Repaint();
}

void TCustomRChart::SetCaptionAnchorHoriz(TCaptionAnchorHoriz value)
{
    m_captionAnchorHoriz = value;
    Repaint();
}

void TCustomRChart::SetCaptionAnchorVert(TCaptionAnchorVert value)
{
    m_captionAnchorVert = value;
    Repaint();
}

void TCustomRChart::SetTextFontStyle(TFontStyles value)
{
    m_textFontStyle = value;
    Repaint();
}

void TCustomRChart::SetTextBkStyle(TTextBkg value)
{
    m_textBkStyle = value;
    Repaint();
}

void TCustomRChart::SetTextBkColor(TColor value)
{
    m_textBkColor = value;
    Repaint();
}

void TCustomRChart::SetTextAlignment(TAlignment value)
{
    m_textAlignment = value;
    Repaint();
}

void TCustomRChart::SetIsometric(bool value)
{
    m_isometric = value;
    if (!value) return;
    {
        TPaintLockGuard lock(*this);
        for (int i = 1; i <= kMaxLayers; ++i) IsometricAdjust(i);
        lock.ReleaseQuietly();
    }
    // The axes changed: paint once, whatever AutoRedraw says.
    Paint();
}

void TCustomRChart::SetMouseAction(TMouseActMode value)
{
    m_mouseAction = value;
}

void TCustomRChart::SetMouseCursorFixed(bool value)
{
    m_mouseCursorFixed = value;
}

// ------------------------------------------------------------------ TRChart

TRChart::TRChart(QWidget* parent) : TCustomRChart(parent) {}

void TRChart::showEvent(QShowEvent* event)
{
    TCustomRChart::showEvent(event);
    WindowCreated();
}
