// The scale control: properties and their rules, transform, lifecycle and the interface a chart
// uses. Painting is in scalepaint.cpp.
#include "scale/scale.h"

#include <QMoveEvent>
#include <QResizeEvent>
#include <QShowEvent>

#include <algorithm>
#include <climits>
#include <cmath>

#include "common/mathutil.h"
#include "scale/ticklabels.h"

namespace {

constexpr int kDefaultSize = 400;
// Logarithmic scales need both ends above this value when switched on.
constexpr double kLogLowest = 1e-100;
constexpr int kMinDecPlaces = -3;
constexpr int kMaxDecPlaces = 12;
constexpr int kMinTicksLow = 2;
constexpr int kMinTicksHigh = 10;
constexpr int kTimeScaleDecPlaces = 4;

}  // namespace

TScale::TScale(QWidget* parent) : QWidget(parent)
{
    resize(kDefaultSize, kDefaultSize);
    m_dateFormat.OnChange = [this](TDTLabel&) { Redraw(); };
    m_font.OnChange = [this](TFont&) { Redraw(); };
    UpdateTransform();
}

TScale::~TScale()
{
    m_dateFormat.OnChange = nullptr;
    m_font.OnChange = nullptr;
}

void TScale::SetScaleType(TScaleType value)
{
    if (value != m_scaleType) {
        m_scaleType = value;
        UpdateTransform();
    }
    Redraw();
}

void TScale::SetRangeLow(double value)
{
    // NaN and infinities are ignored on purpose: a scale end that is no number has no transform
    // and no ticks, and the previous range keeps the scale drawable.
    if (!std::isfinite(value)) return;
    m_rangeLow = value;
    if (m_rangeLow == m_rangeHigh) m_rangeHigh = value + 1.0;
    UpdateTransform();
    Redraw();
}

void TScale::SetRangeHigh(double value)
{
    // NaN and infinities are ignored on purpose, as in SetRangeLow.
    if (!std::isfinite(value)) return;
    m_rangeHigh = value;
    if (m_rangeHigh == m_rangeLow) m_rangeLow = value + 1.0;
    UpdateTransform();
    Redraw();
}

void TScale::SetLogarithmic(bool value)
{
    if (!value)
        m_logarithmic = false;
    else if (m_constructing ||
             (m_rangeLow >= kLogLowest && m_rangeHigh >= kLogLowest && m_labelType != ftDateTime))
        m_logarithmic = true;
    UpdateTransform();
    Redraw();
}

void TScale::SetMinTicks(int value)
{
    m_minTicks = value == 0 ? 0 : std::clamp(value, kMinTicksLow, kMinTicksHigh);
    Redraw();
}

void TScale::SetShortTicks(bool value)
{
    if (value != m_shortTicks) m_shortTicks = value;
    Redraw();
}

void TScale::SetDecPlaces(int value)
{
    m_decPlaces = std::clamp(value, kMinDecPlaces, kMaxDecPlaces);
    UpdateTransform();
    Redraw();
}

void TScale::SetLabelType(TFigType value)
{
    m_labelType = value;
    if (value == ftDateTime) {
        m_logarithmic = false;
        UpdateTransform();
    } else if (value == ftTime) {
        m_decPlaces = kTimeScaleDecPlaces;
    }
    Redraw();
}

void TScale::SetDateFormat(const TDTLabel& value)
{
    m_dateFormat.Assign(value);
    Redraw();
}

void TScale::SetUserTickText(const std::string& value)
{
    m_userTickText = value;
    Redraw();
}

void TScale::SetScaleInscript(const std::string& value)
{
    m_scaleInscript = value;
    Redraw();
}

void TScale::SetCaption(const std::string& value)
{
    m_caption = value;
    Redraw();
}

void TScale::SetCaptionPosX(int value)
{
    m_captionPosX = std::clamp(value, -kMaxCanvasOffset, kMaxCanvasOffset);
    Redraw();
}

void TScale::SetCaptionPosY(int value)
{
    m_captionPosY = std::clamp(value, -kMaxCanvasOffset, kMaxCanvasOffset);
    Redraw();
}

void TScale::SetCaptionAlignment(TAlignment value)
{
    m_captionAlignment = value;
    Redraw();
}

void TScale::SetCaptionAnchor(TScaleUnitAnchor value)
{
    m_captionAnchor = value;
    Redraw();
}

void TScale::SetMarginTop(int value)
{
    m_marginTop = std::clamp(value, 0, kMaxScaleMargin);
    UpdateTransform();
    Redraw();
}

void TScale::SetMarginBottom(int value)
{
    m_marginBottom = std::clamp(value, 0, kMaxScaleMargin);
    UpdateTransform();
    Redraw();
}

void TScale::SetMarginLeft(int value)
{
    m_marginLeft = std::clamp(value, 0, kMaxScaleMargin);
    UpdateTransform();
    Redraw();
}

void TScale::SetMarginRight(int value)
{
    m_marginRight = std::clamp(value, 0, kMaxScaleMargin);
    UpdateTransform();
    Redraw();
}

void TScale::SetShowBaseLine(bool value)
{
    m_showBaseLine = value;
    Redraw();
}

void TScale::SetTransparent(bool value)
{
    m_transparent = value;
    Redraw();
}

void TScale::SetColorScale(TColor value)
{
    if (value != m_colorScale) m_colorScale = value;
    Redraw();
}

void TScale::SetColorBackGnd(TColor value)
{
    if (value != m_colorBackGnd) m_colorBackGnd = value;
    Redraw();
}

void TScale::SetColorScheme(TColorScheme value)
{
    if (value != m_colorScheme) {
        m_colorScheme = value;
        if (value == csBWG) {
            m_frameColorShadow = RGBColor(128, 128, 128);
            m_frameColorLight = clWhite;
        } else {
            m_frameColorShadow = clBtnShadow;
            m_frameColorLight = clBtnHighlight;
        }
    }
    Redraw();
}

void TScale::SetFrameStyle(TFrameStyle value)
{
    if (value != m_frameStyle) m_frameStyle = value;
    Redraw();
}

void TScale::SetVisible(bool value)
{
    m_visible = value;
    if (!m_embedded) QWidget::setVisible(value);
    Redraw();
}

// The transform maps a value v (or ln v on logarithmic scales) to the pixel
// p = PixelsPerUnit * v + PixelOffset along the scale. Horizontal scales put RangeLow on
// x = MarginLeft and RangeHigh on x = Width - MarginRight - 1; vertical scales put RangeHigh on
// y = MarginTop and RangeLow on y = Height - MarginBottom - 1. A scale too short for its margins
// (or whose slope is no finite number) puts every value in its middle; a logarithmic scale with
// an end at or below zero keeps its previous transform.
void TScale::UpdateTransform() { ComputeTransform(); }

void TScale::ComputeTransform() const
{
    m_transformWidth = width();
    m_transformHeight = height();
    // Values at or below 1e-100 on a logarithmic scale lie at its origin, or at the far end of a
    // reversed scale.
    const int off = m_rangeHigh >= m_rangeLow ? 0 : width();
    if (m_rangeLow == m_rangeHigh || !TAxisMap::Mappable(m_rangeLow, m_rangeHigh, m_logarithmic)) {
        m_map = m_map.WithEnds(m_rangeLow, m_rangeHigh, m_logarithmic, off);  // the line stays
        return;
    }
    const bool vertical = IsVertical();
    const double middle = (vertical ? height() : width()) / 2;
    if (vertical)
        m_map = TAxisMap::Scaled(m_rangeLow, m_rangeHigh, m_logarithmic, height() - m_marginBottom - 1, m_marginTop,
                                 true, middle, off);
    else
        m_map = TAxisMap::Scaled(m_rangeLow, m_rangeHigh, m_logarithmic, m_marginLeft, width() - m_marginRight - 1,
                                 false, middle, off);
}

void TScale::EnsureTransform() const
{
    if (width() != m_transformWidth || height() != m_transformHeight) ComputeTransform();
}

int TScale::ValueToPixel(double value) const
{
    EnsureTransform();
    return m_map.ToPixel(value);
}

double TScale::TickPosition(int index) const
{
    return index >= 1 && index <= m_numTicks ? m_tickList[std::size_t(index - 1)] : 0.0;
}

std::string TScale::UserTickItem(int n) const
{
    return ::UserTickItem(m_userTickText, n);
}

void TScale::Redraw()
{
    if (m_transparent && !m_embedded) {
        update();
        return;
    }
    Paint();
    if (!m_externalCanvas && isVisible()) {
        // The picture is ready in the own surface; the next paint event only copies it.
        m_surfaceFresh = true;
        update();
    }
}

void TScale::SuspendPaint(bool suspend)
{
    if (suspend == m_paintSuspended) return;
    m_paintSuspended = suspend;
    if (!suspend) Redraw();
}

void TScale::RenderNow()
{
    const bool wasSuspended = m_paintSuspended;
    m_paintSuspended = false;
    Redraw();
    m_paintSuspended = wasSuspended;
}

void TScale::SetExternalCanvas(TCanvas* canvas, int offsetX, int offsetY)
{
    m_externalCanvas = canvas;
    m_externalOffsetX = std::clamp(offsetX, -kMaxCanvasOffset, kMaxCanvasOffset);
    m_externalOffsetY = std::clamp(offsetY, -kMaxCanvasOffset, kMaxCanvasOffset);
}

void TScale::SetEmbedded(bool embedded)
{
    if (embedded == m_embedded) return;
    m_embedded = embedded;
    // An embedded scale draws only into its owner's canvas; its widget never shows, even as a
    // child of a shown owner.
    if (embedded) QWidget::setVisible(false);
    Redraw();
}

void TScale::Loaded()
{
    UpdateTransform();
    m_constructing = false;
    Redraw();
}

void TScale::SetBounds(int left, int top, int width, int height)
{
    setGeometry(std::clamp(left, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX), std::clamp(top, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX),
                std::clamp(width, 0, QWIDGETSIZE_MAX), std::clamp(height, 0, QWIDGETSIZE_MAX));
    UpdateTransform();
    Redraw();
}

void TScale::Assign(const TScale& source)
{
    if (&source == this) return;
    m_frameStyle = source.m_frameStyle;
    m_colorBackGnd = source.m_colorBackGnd;
    m_colorScale = source.m_colorScale;
    m_frameColorDark = source.m_frameColorDark;
    m_frameColorShadow = source.m_frameColorShadow;
    m_frameColorLight = source.m_frameColorLight;
    m_colorScheme = source.m_colorScheme;
    OnScaleTickDrawn = source.OnScaleTickDrawn;
    OnBeforeTickLabel = source.OnBeforeTickLabel;
    m_logarithmic = source.m_logarithmic;
    m_map = source.m_map;
    m_rangeHigh = source.m_rangeHigh;
    m_rangeLow = source.m_rangeLow;
    m_shortTicks = source.m_shortTicks;
    m_numTicks = source.m_numTicks;
    m_minTicks = source.m_minTicks;
    m_decPlaces = source.m_decPlaces;
    m_showBaseLine = source.m_showBaseLine;
    m_transparent = source.m_transparent;
    m_labelType = source.m_labelType;
    {
        // the owned settings object takes the values without redrawing in between
        auto listener = std::move(m_dateFormat.OnChange);
        m_dateFormat.OnChange = nullptr;
        m_dateFormat.Assign(source.m_dateFormat);
        m_dateFormat.OnChange = std::move(listener);
    }
    m_marginTop = source.m_marginTop;
    m_marginBottom = source.m_marginBottom;
    m_marginLeft = source.m_marginLeft;
    m_marginRight = source.m_marginRight;
    m_captionPosX = source.m_captionPosX;
    m_captionPosY = source.m_captionPosY;
    m_userTickText = source.m_userTickText;
    m_scaleInscript = source.m_scaleInscript;
    m_tickList = source.m_tickList;
    m_caption = source.m_caption;
    m_captionAnchor = source.m_captionAnchor;
    m_captionAlignment = source.m_captionAlignment;
    m_externalCanvas = source.m_externalCanvas;
    m_externalOffsetX = source.m_externalOffsetX;
    m_externalOffsetY = source.m_externalOffsetY;
    m_scaleType = source.m_scaleType;
    m_paintSuspended = source.m_paintSuspended;
    // The copied transform belongs to the source's size.
    m_transformWidth = source.m_transformWidth;
    m_transformHeight = source.m_transformHeight;
    Redraw();
}

TTickSettings TScale::TickSettings() const
{
    TTickSettings s;
    s.RangeLow = m_rangeLow;
    s.RangeHigh = m_rangeHigh;
    s.MinTicks = m_minTicks;
    s.ShortTicks = m_shortTicks;
    s.Logarithmic = m_logarithmic;
    s.LabelType = m_labelType;
    s.DecPlaces = m_decPlaces;
    s.ScaleType = m_scaleType;
    s.UserTickText = m_userTickText;
    s.ScaleInscript = m_scaleInscript;
    s.DateFormat = &m_dateFormat;
    return s;
}

void TScale::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UpdateTransform();
    Redraw();
}

void TScale::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    Redraw();
}

void TScale::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The first showing is the stand-alone scale's window creation: from now on it paints.
    if (!m_windowShown && !m_embedded) {
        m_windowShown = true;
        m_paintSuspended = false;
    }
}
