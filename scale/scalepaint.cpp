// Painting of the scale control.
//
// Geometry: bx or by is the baseline. sctXB has it at the bottom (by = Height - MarginBottom - 1)
// with ticks and labels above, sctXT at the top (by = MarginTop) with them below, sctYL at the
// left (bx = MarginLeft) with them to the right, sctYR at the right (bx = Width - MarginRight - 1)
// with them to the left. Long ticks are 7 pixels long on horizontal and 6 on vertical scales,
// short ticks 4; a line never paints its end point.
//
// An opaque scale draws into an image of its own size (background, ticks, labels, baseline,
// frame) and copies it to the target in one piece; a transparent one draws straight onto the
// target with its baseline shifted by the target offset.
#include "scale/scale.h"

#include <QPaintEvent>

#include <algorithm>

#include "platform/localefmt.h"
#include "platform/widgetpaint.h"

namespace {

constexpr int kLongTickHorizontal = 7;
constexpr int kLongTickVertical = 6;
constexpr int kShortTick = 4;
// Labels of vertical scales start this far from the baseline.
constexpr int kLabelGap = 8;
// Labels of horizontal scales stay this far inside the control's left and right edges.
constexpr int kLabelEdge = 2;
// Messages of date-time scales: top below a horizontal baseline, gap beside a vertical one.
constexpr int kMessageTop = 7;
constexpr int kMessageGap = 2;
// Pixel positions of ticks and messages are drawn at most this far from 0: far outside any
// canvas, yet labels and tick lengths can be added to them without overflow.
constexpr int kMaxDrawPos = 1 << 29;
int DrawPos(int p) { return std::clamp(p, -kMaxDrawPos, kMaxDrawPos); }
const TColor kFrameSilver = RGBColor(192, 192, 192);

// A line that paints both of its end points.
void LineInclusive(TCanvas& canvas, int x1, int y1, int x2, int y2, TColor color)
{
    canvas.Pen().SetColor(color);
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
    canvas.SetPixel(x2, y2, color);
}

}  // namespace

void TScale::paintEvent(QPaintEvent*)
{
    if (m_externalCanvas) return;
    if (!m_surfaceFresh) Paint();
    m_surfaceFresh = false;
    const qreal ratio = devicePixelRatioF();
    // A suspended scale keeps showing its last picture.
    if (ratio != 1.0 && !m_paintSuspended) {
        const QImage image = DeviceImage(ratio);
        if (!image.isNull()) PaintImageOnWidget(*this, image, 0, 0, m_transparent ? cmSrcAnd : cmSrcCopy);
        return;
    }
    if (!m_surface.isNull()) PaintImageOnWidget(*this, m_surface, 0, 0, m_transparent ? cmSrcAnd : cmSrcCopy);
}

QImage TScale::DeviceImage(qreal ratio)
{
    if (m_externalCanvas) return {};
    return RenderDeviceImage(width(), height(), ratio, m_deviceMirror, [this] { Paint(); });
}

void TScale::Paint()
{
    if (!m_visible || m_paintSuspended) return;
    EnsureTransform();
    const int w = width(), h = height();
    // Beyond these sizes the pictures would take gigabytes: the scale does not paint.
    if (w > kMaxScaleSide || h > kMaxScaleSide || std::int64_t(w) * h > kMaxScalePixels) return;
    TCanvas* target = m_externalCanvas;
    int ox = m_externalOffsetX, oy = m_externalOffsetY;
    if (!target) {
        if (w <= 0 || h <= 0) return;
        if (m_surface.width() != w || m_surface.height() != h || !m_surfaceCanvas) {
            m_surface = QImage(w, h, QImage::Format_RGB32);
            m_surfaceCanvas = std::make_unique<TCanvas>(&m_surface);
        }
        // A transparent stand-alone scale is put on its parent's background by an AND copy:
        // what stays white lets the background through.
        if (m_transparent) m_surface.fill(0xFFFFFFFFu);
        target = m_surfaceCanvas.get();
        ox = oy = 0;
    }
    // The device image copies what is drawn on the picture's own canvas: the surface for a
    // transparent scale, the scale's image for an opaque one (its copy onto the surface is not
    // copied, or it would cover the figures with enlarged pixels).
    struct TMirror {
        TCanvas* canvas = nullptr;
        void Set(TCanvas& c, QPainter* painter)
        {
            if (!painter) return;
            canvas = &c;
            c.SetMirror(painter, 0, 0, true);
        }
        ~TMirror() { if (canvas) canvas->SetMirror(nullptr); }
    } mirror;
    if (!m_externalCanvas && m_transparent) mirror.Set(*target, m_deviceMirror);
    target->Font().Assign(m_font);
    if (OnBeforeScaleRendered) OnBeforeScaleRendered(*this, *target);

    auto baseline = [&](int offsetX, int offsetY) {
        switch (m_scaleType) {
        case sctXB: return offsetY + h - m_marginBottom - 1;
        case sctXT: return offsetY + m_marginTop;
        case sctYL: return offsetX + m_marginLeft;
        case sctYR: return offsetX + w - m_marginRight - 1;
        }
        return 0;
    };

    if (m_transparent) {
        target->Pen().SetColor(m_colorScale);
        const int base = baseline(ox, oy);
        DrawScale(*target, base);
        DrawBaseLine(*target, base);
        if (OnAfterScaleRendered) OnAfterScaleRendered(*this, *target);
        return;
    }

    if (w <= 0 || h <= 0) return;
    if (!m_image) m_image = std::make_unique<TBitmap>();
    m_image->SetSize(w, h);
    TCanvas& canvas = m_image->Canvas();
    if (!m_externalCanvas) mirror.Set(canvas, m_deviceMirror);
    canvas.Font().Assign(m_font);
    canvas.Pen().SetColor(m_colorBackGnd);
    canvas.Brush().SetColor(m_colorBackGnd);
    canvas.Brush().SetStyle(bsSolid);
    canvas.Rectangle(0, 0, w, h);
    canvas.Pen().SetColor(m_colorScale);
    const int base = baseline(0, 0);
    DrawScale(canvas, base);
    DrawBaseLine(canvas, base);
    if (OnAfterScaleRendered) OnAfterScaleRendered(*this, canvas);
    DrawFrame(canvas, 0, 0, w - 1, h - 1);
    target->Draw(ox, oy, *m_image);
}

void TScale::DrawScale(TCanvas& canvas, int baseline)
{
    if (IsVertical())
        DrawVerticalScale(canvas, baseline);
    else
        DrawHorizontalScale(canvas, baseline);
}

void TScale::DrawVerticalScale(TCanvas& canvas, int baselineX)
{
    DrawScaleBody(canvas, baselineX);
}

void TScale::DrawHorizontalScale(TCanvas& canvas, int baselineY)
{
    DrawScaleBody(canvas, baselineY);
}

// Ticks, labels (or the date-time message) and caption along the baseline; the tick list is
// rebuilt on the way.
void TScale::DrawScaleBody(TCanvas& canvas, int baseline)
{
    canvas.Brush().SetStyle(m_transparent ? bsClear : bsSolid);
    m_numTicks = 0;
    EnsureTransform();
    TTickSettings settings = TickSettings();
    if (m_labelType == ftDateTime) settings.MonthNames = &FormatSettings().ShortMonthNames;
    PlanTicks(settings, m_plan);
    m_zeroHeight = canvas.TextHeight("0");
    if (m_plan.Message != TScaleMessage::None) DrawMessage(canvas, baseline, m_plan.Message);
    for (const TTickMark& mark : m_plan.Marks) DrawTick(canvas, mark, baseline);
    DrawCaption(canvas, baseline);
}

void TScale::Record(double value)
{
    if (m_numTicks < kTickListSize) m_tickList[std::size_t(m_numTicks++)] = value;
}

// One tick with its label and events, in the order its algorithm and orientation ask for:
// vertical linear and all logarithmic ticks report the tick before their label; horizontal
// linear, time and date-time ticks report it after the label.
void TScale::DrawTick(TCanvas& canvas, const TTickMark& mark, int baseline)
{
    const bool vertical = IsVertical();
    const int pos = DrawPos(ValueToPixel(mark.Value));
    const int length = mark.IsLong ? (vertical ? kLongTickVertical : kLongTickHorizontal) : kShortTick;
    canvas.Pen().SetColor(m_colorScale);
    switch (m_scaleType) {
    case sctXB: canvas.MoveTo(pos, baseline); canvas.LineTo(pos, baseline - length); break;
    case sctXT: canvas.MoveTo(pos, baseline); canvas.LineTo(pos, baseline + length); break;
    case sctYL: canvas.MoveTo(baseline, pos); canvas.LineTo(baseline + length, pos); break;
    case sctYR: canvas.MoveTo(baseline, pos); canvas.LineTo(baseline - length, pos); break;
    }
    if (mark.Record) Record(mark.Value);

    auto tickDrawn = [&] {
        if (!OnScaleTickDrawn) return;
        if (vertical)
            OnScaleTickDrawn(*this, canvas, m_scaleType, mark.Value, baseline, pos);
        else
            OnScaleTickDrawn(*this, canvas, m_scaleType, mark.Value, pos, baseline);
    };
    if (!mark.HasLabel) {
        tickDrawn();
        return;
    }
    const bool reportFirst = m_plan.Algorithm == TTickAlgorithm::Logarithmic ||
                             (m_plan.Algorithm == TTickAlgorithm::Linear && vertical);
    if (reportFirst) tickDrawn();
    std::string label = mark.Label;
    DrawLabel(canvas, baseline, pos, mark.LabelValue, label, m_plan.Algorithm == TTickAlgorithm::DateTime);
    if (mark.HasDateLabel) {
        std::string date = mark.DateLabel;
        DrawDateLabel(canvas, baseline, pos, mark.Value, date);
    }
    if (!reportFirst) tickDrawn();
}

// A tick label: the hook may change the text, which is then measured and drawn. Horizontal
// labels are centred on their tick but kept 2 pixels inside the control; vertical labels start
// 8 pixels beside the baseline and are centred on the tick by the height of "0" (numbers) or by
// their own height (date-time labels).
void TScale::DrawLabel(TCanvas& canvas, int baseline, int pos, double value, std::string& text, bool ownHeight)
{
    if (OnBeforeTickLabel) OnBeforeTickLabel(*this, m_scaleType, value, text);
    if (text.empty()) return;
    const int w = canvas.TextWidth(text);
    const int h = canvas.TextHeight(text);
    switch (m_scaleType) {
    case sctXB:
    case sctXT: {
        const int hw = w / 2;
        const int left = pos + hw < width() - kLabelEdge ? pos - std::min(hw, pos - kLabelEdge) : width() - 2 * hw - kLabelEdge;
        const int top = m_scaleType == sctXB ? baseline - kLongTickHorizontal - h : baseline + kLongTickHorizontal;
        canvas.TextOut(left, top, text);
        break;
    }
    case sctYL:
    case sctYR: {
        const int top = pos - (ownHeight ? h : m_zeroHeight) / 2;
        canvas.TextOut(m_scaleType == sctYL ? baseline + kLabelGap : baseline - w - kLabelGap, top, text);
        break;
    }
    }
}

// The date of a time-of-day tick, beyond its time label: one date height further from the
// baseline on horizontal scales, one height above the time label on vertical ones.
void TScale::DrawDateLabel(TCanvas& canvas, int baseline, int pos, double value, std::string& text)
{
    if (OnBeforeTickLabel) OnBeforeTickLabel(*this, m_scaleType, value, text);
    if (text.empty()) return;
    const int w = canvas.TextWidth(text);
    const int h = canvas.TextHeight(text);
    switch (m_scaleType) {
    case sctXB:
    case sctXT: {
        const int movedBaseline = m_scaleType == sctXT ? baseline + h : baseline - h;
        const int hw = w / 2;
        const int left = pos + hw < width() - kLabelEdge ? pos - std::min(hw, pos - kLabelEdge) : width() - 2 * hw - kLabelEdge;
        const int top = m_scaleType == sctXB ? movedBaseline - kLongTickHorizontal - h : movedBaseline + kLongTickHorizontal;
        canvas.TextOut(left, top, text);
        break;
    }
    case sctYL:
    case sctYR:
        canvas.TextOut(m_scaleType == sctYL ? baseline + kLabelGap : baseline - w - kLabelGap, pos - 3 * (h / 2), text);
        break;
    }
}

// What a date-time scale shows instead of ticks, at the middle of its range.
void TScale::DrawMessage(TCanvas& canvas, int baseline, TScaleMessage message)
{
    const int middle = DrawPos(ValueToPixel(m_rangeLow / 2 + m_rangeHigh / 2));
    const bool invalid = message == TScaleMessage::InvalidScale;
    if (!IsVertical()) {
        const std::string text = invalid ? "invalid DateTime scale" : "DateTime range is below 1 second";
        canvas.TextOut(middle - canvas.TextWidth(text) / 2, baseline + kMessageTop, text);
        return;
    }
    static const char* const kInvalid[] = {"invalid", "DateTime", "scale"};
    static const char* const kBelow[] = {"DateTime", "range is", "below 1", "second"};
    const int h = canvas.TextHeight("T");
    const int lines = invalid ? 3 : 4;
    for (int i = 0; i < lines; ++i) {
        const std::string line = invalid ? kInvalid[i] : kBelow[i];
        const int top = middle + (i - 1) * h;
        const int left = m_scaleType == sctYL ? baseline + kMessageGap : baseline - kMessageGap - canvas.TextWidth(line);
        canvas.TextOut(left, top, line);
    }
}

// The caption at its anchor (start, middle or end of the scale on the baseline) plus its
// offsets; its top edge is at the anchor's y, its alignment applies to the anchor's x.
void TScale::DrawCaption(TCanvas& canvas, int baseline)
{
    if (m_caption.empty()) return;
    int x = 0, y = 0;
    if (IsVertical()) {
        x = baseline;
        switch (m_captionAnchor) {
        case uaSclTopLft: y = m_marginTop; break;
        case uaSclCenter: y = m_marginTop + (height() - m_marginTop - m_marginBottom) / 2; break;
        case uaSclBotRgt: y = height() - m_marginBottom; break;
        }
    } else {
        y = baseline;
        switch (m_captionAnchor) {
        case uaSclTopLft: x = m_marginLeft; break;
        case uaSclCenter: x = m_marginLeft + (width() - m_marginLeft - m_marginRight) / 2; break;
        case uaSclBotRgt: x = width() - m_marginRight; break;
        }
    }
    x += m_captionPosX;
    y += m_captionPosY;
    const int w = canvas.TextWidth(m_caption);
    switch (m_captionAlignment) {
    case taLeftJustify: break;
    case taRightJustify: x -= w; break;
    case taCenter: x -= w / 2; break;
    }
    canvas.TextOut(x, y, m_caption);
}

void TScale::DrawBaseLine(TCanvas& canvas, int baseline)
{
    if (!m_showBaseLine) return;
    canvas.Pen().SetColor(m_colorScale);
    if (IsVertical()) {
        canvas.MoveTo(baseline, m_marginTop);
        canvas.LineTo(baseline, height() - m_marginBottom - 1);
    } else {
        canvas.MoveTo(m_marginLeft, baseline);
        canvas.LineTo(width() - m_marginRight - 1, baseline);
    }
}

// The frame around (left, top)-(right, bottom), both corners inside: a dark outline, or an
// outer and an inner one-pixel ring whose top-left and bottom-right halves differ in shade.
void TScale::DrawFrame(TCanvas& canvas, int left, int top, int right, int bottom)
{
    if (m_frameStyle == fsNone) return;
    if (m_frameStyle == fsSimple) {
        canvas.Pen().SetColor(m_frameColorDark);
        canvas.Brush().SetStyle(bsClear);
        canvas.Rectangle(left, top, right + 1, bottom + 1);
        return;
    }
    const TColor dark = m_frameColorDark, shadow = m_frameColorShadow, light = m_frameColorLight;
    TColor c1 = shadow, c2 = light, c3 = dark, c4 = kFrameSilver;
    switch (m_frameStyle) {
    case fsRaised: c1 = light; c2 = dark; c3 = kFrameSilver; c4 = shadow; break;
    case fsEmbossed: c1 = light; c2 = shadow; c3 = shadow; c4 = light; break;
    case fsEngraved: c1 = shadow; c2 = light; c3 = light; c4 = shadow; break;
    default: break;
    }
    LineInclusive(canvas, left, bottom, left, top, c1);
    LineInclusive(canvas, left, top, right, top, c1);
    LineInclusive(canvas, right, top + 1, right, bottom, c2);
    LineInclusive(canvas, right, bottom, left, bottom, c2);
    LineInclusive(canvas, left + 1, bottom - 1, left + 1, top + 1, c3);
    LineInclusive(canvas, left + 1, top + 1, right - 1, top + 1, c3);
    LineInclusive(canvas, right - 1, top + 2, right - 1, bottom - 1, c4);
    LineInclusive(canvas, right - 1, bottom - 1, left + 1, bottom - 1, c4);
}
