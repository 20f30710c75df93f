// Painting of the numeric display label. The layout, all in pixels of the label:
//   v = (Height - h) / 2 is the top of every text line, h the height of a sample text with
//   ascenders, descenders and accents in the label's font;
//   the field starts at L = LeftSpace and its inside is W = LabelWidth wide; a 3-D frame of two
//   one-pixel rings surrounds it, from x = L to L + W + 2;
//   the number is clipped to (L + 3, 2)-(L + W - 1, H - 3).
#include "numlab/numlab.h"

#include <QEvent>
#include <algorithm>

#include "common/numtext.h"
#include "platform/widgetpaint.h"

namespace {

// Text with ascenders, descenders and accents: its height is the line height of every text.
constexpr const char* kSampleText = "(8g]}\xC3\x9C\xC3\x84\xC2\xA7";
// Distances of the captions from the field and the label's edges.
constexpr int kLeftCaptionMargin = 7;
constexpr int kCaptionGap = 5;
constexpr int kRightCaptionEdgeGap = 6;
// The number must leave this much of the field's inside free, or the indicator replaces it.
constexpr int kFieldTextMargin = 6;

}  // namespace

TNumLab::TNumLab(QWidget* parent) : QWidget(parent)
{
    resize(160, 28);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    m_font.OnChange = [this](TFont&) { Redraw(); };
}

TNumLab::~TNumLab() { m_font.OnChange = nullptr; }

template <class T>
void TNumLab::Store(T& member, const T& value)
{
    if (member == value) return;
    member = value;
    Redraw();
}

// Repaints synchronously while the label is on screen.
void TNumLab::Redraw()
{
    if (isVisible()) repaint();
}

void TNumLab::SetValue(double value)
{
    // NaN never equals itself; storing it again must not repaint without end in a loop of setters.
    if (m_value == value || (value != value && m_value != m_value)) return;
    m_value = value;
    Redraw();
}

void TNumLab::SetDisplayType(TDisplay value) { Store(m_text.DisplayType, value); }

void TNumLab::SetPrecision(int value)
{
    if (value < 0) return;
    Store(m_text.Precision, std::min(value, 15));
}

void TNumLab::SetComma(bool value) { Store(m_comma, value); }
void TNumLab::SetForcePlusSign(bool value) { Store(m_forcePlusSign, value); }
void TNumLab::SetEmpty(bool value) { Store(m_empty, value); }
void TNumLab::SetStateText(const std::string& value) { Store(m_text.StateText, value); }
void TNumLab::SetDTFormat(const std::string& value) { Store(m_text.DTFormat, value); }
void TNumLab::SetOverflowIndicator(const std::string& value) { Store(m_overflowIndicator, value); }
void TNumLab::SetLeftText(const std::string& value) { Store(m_leftText, value); }
void TNumLab::SetRightText(const std::string& value) { Store(m_rightText, value); }
void TNumLab::SetLeftTextAlignment(TAlignment value) { Store(m_leftTextAlignment, value); }
void TNumLab::SetRightTextAlignment(TAlignment value) { Store(m_rightTextAlignment, value); }
void TNumLab::SetAlignment(TAlignment value) { Store(m_alignment, value); }

void TNumLab::SetLeftSpace(int value)
{
    if (value < 0) return;
    Store(m_leftSpace, std::min(value, width()));
}

void TNumLab::SetLabelWidth(int value) { Store(m_labelWidth, std::clamp(value, -kMaxLabelWidth, kMaxLabelWidth)); }
void TNumLab::SetFrameStyle(TFrameStyle value) { Store(m_frameStyle, value); }

void TNumLab::SetColorScheme(TColorScheme value)
{
    if (value == m_colorScheme) return;
    m_colorScheme = value;
    m_frameShadow = value == csSystem ? clBtnShadow : clGray;
    m_frameHighlight = value == csSystem ? clBtnHighlight : clWhite;
    Redraw();
}

void TNumLab::SetColorLabBakG(TColor value) { Store(m_colorLabBakG, value); }
void TNumLab::SetColorLabText(TColor value) { Store(m_colorLabText, value); }
void TNumLab::SetColorOutBakG(TColor value) { Store(m_colorOutBakG, value); }
void TNumLab::SetColorOutText(TColor value) { Store(m_colorOutText, value); }

void TNumLab::SetTransparent(bool value)
{
    if (value == m_transparent) return;
    m_transparent = value;
    setAttribute(Qt::WA_OpaquePaintEvent, !value);
    if (value)
        update();
    else
        Redraw();
}

void TNumLab::SetEnabled(bool value)
{
    if (value == isEnabled()) return;
    setEnabled(value);  // the change event repaints
}

void TNumLab::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) Redraw();
    QWidget::changeEvent(event);
}

void TNumLab::Assign(const TNumLab& source)
{
    if (&source == this) return;
    m_leftSpace = source.m_leftSpace;
    m_empty = source.m_empty;
    m_labelWidth = source.m_labelWidth;
    m_text.Precision = source.m_text.Precision;
    m_leftText = source.m_leftText;
    m_rightText = source.m_rightText;
    m_frameStyle = source.m_frameStyle;
    m_alignment = source.m_alignment;
    m_rightTextAlignment = source.m_rightTextAlignment;
    m_leftTextAlignment = source.m_leftTextAlignment;
    m_overflowIndicator = source.m_overflowIndicator;
    m_value = source.m_value;
    m_text.StateText = source.m_text.StateText;
    m_colorLabBakG = source.m_colorLabBakG;
    m_colorLabText = source.m_colorLabText;
    m_colorOutBakG = source.m_colorOutBakG;
    m_colorOutText = source.m_colorOutText;
    m_frameDark = source.m_frameDark;
    m_frameShadow = source.m_frameShadow;
    m_frameHighlight = source.m_frameHighlight;
    m_colorScheme = source.m_colorScheme;
    m_text.DisplayType = source.m_text.DisplayType;
    if (source.m_transparent != m_transparent) {
        m_transparent = source.m_transparent;
        setAttribute(Qt::WA_OpaquePaintEvent, !m_transparent);
        update();
    }
    Redraw();
}

// The number's text: formed by the display type, given the field's decimal separator and the
// plus sign, offered to OnBeforeDisplay and replaced by the indicator when it is too wide.
std::string TNumLab::NumberText()
{
    std::string text;
    const TDisplay type = m_text.DisplayType;
    if (!NumberTextOf(m_value, m_text, text)) {
        text = m_overflowIndicator;
    } else if (type != dtHex && type != dtDateTime && type != dtState && type != dtBin) {
        text = m_comma ? ReplaceCharacter(text, '.', ',') : ReplaceCharacter(text, ',', '.');
        if (m_forcePlusSign && m_value > 0) text = "+" + text;
    }
    if (OnBeforeDisplay) OnBeforeDisplay(*this, text);
    return text;
}

std::string TNumLab::DisplayedText()
{
    if (m_empty) return {};
    std::string text = NumberText();
    TBitmap probe(1, 1);
    probe.Canvas().Font().Assign(m_font);
    if (probe.Canvas().TextWidth(text) > m_labelWidth - kFieldTextMargin && m_text.DisplayType != dtState)
        text = m_overflowIndicator;
    return text;
}

void TNumLab::DrawCaption(TCanvas& canvas, const std::string& text, int x, int y)
{
    if (text.empty()) return;
    if (isEnabled()) {
        canvas.Font().SetColor(m_colorOutText);
        canvas.TextOut(x, y, text);
        return;
    }
    // Etched: a white copy one pixel right and down under the grey text, without background.
    canvas.Brush().SetStyle(bsClear);
    canvas.Font().SetColor(clWhite);
    canvas.TextOut(x + 1, y + 1, text);
    canvas.Font().SetColor(clGray);
    canvas.TextOut(x, y, text);
}

void TNumLab::DrawField(TCanvas& canvas)
{
    const int L = m_leftSpace, W = m_labelWidth, H = height();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(m_colorLabBakG);
    TColor outline = m_frameShadow;
    if (m_frameStyle == fsNone) outline = m_colorLabBakG;
    if (m_frameStyle == fsEmbossed) outline = m_frameHighlight;
    canvas.Pen().SetColor(outline);
    if (m_frameStyle == fsNone || m_frameStyle == fsSimple) {
        canvas.Rectangle(L, 0, L + W + 2, H);
        return;
    }
    canvas.Rectangle(L, 0, L + W + 2, H - 1);
    TColor topLeft = m_frameDark, bottomRight = m_frameHighlight;
    switch (m_frameStyle) {
    case fsRaised: topLeft = m_frameHighlight; bottomRight = m_frameDark; break;
    case fsEmbossed: topLeft = m_frameShadow; bottomRight = m_frameShadow; break;
    case fsEngraved: topLeft = m_frameHighlight; bottomRight = m_frameHighlight; break;
    default: break;
    }
    canvas.Pen().SetColor(topLeft);
    canvas.Polyline({{L + 1, H - 3}, {L + 1, 1}, {L + W + 1, 1}});
    canvas.Pen().SetColor(bottomRight);
    canvas.Polyline({{L + 1, H - 1}, {L + W + 2, H - 1}, {L + W + 2, 0}});
}

QImage TNumLab::RenderImage()
{
    TBitmap image(width(), height());
    if (image.Empty()) return {};
    TCanvas& canvas = image.Canvas();
    if (m_deviceMirror) canvas.SetMirror(m_deviceMirror, 0, 0, true);
    canvas.Font().Assign(m_font);
    const int h = canvas.TextHeight(kSampleText);
    const int v = (height() - h) / 2;
    const int L = m_leftSpace, W = m_labelWidth, H = height();

    const TColor background = m_transparent ? clWhite : m_colorOutBakG;
    canvas.Brush().SetColor(background);
    canvas.FillRect({0, 0, width(), height()});

    if (!m_leftText.empty()) {
        const int w = canvas.TextWidth(m_leftText);
        int x = kLeftCaptionMargin;
        if (m_leftTextAlignment == taRightJustify) x = L - w - kCaptionGap;
        if (m_leftTextAlignment == taCenter) x = (L - w) / 2;
        DrawCaption(canvas, m_leftText, x, v);
    }
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(background);
    if (!m_rightText.empty()) {
        const int w = canvas.TextWidth(m_rightText);
        int x = L + W + kLeftCaptionMargin;
        if (m_rightTextAlignment == taRightJustify) x = width() - w - kRightCaptionEdgeGap;
        if (m_rightTextAlignment == taCenter) x = L + W + 1 + (width() - L - W - w) / 2;
        DrawCaption(canvas, m_rightText, x, v);
    }

    DrawField(canvas);

    if (!m_empty) {
        std::string text = NumberText();
        if (canvas.TextWidth(text) > W - kFieldTextMargin && m_text.DisplayType != dtState)
            text = m_overflowIndicator;
        const int w = canvas.TextWidth(text);
        int x = L + 2 + (W - w) / 2;
        if (m_alignment == taLeftJustify) x = L + 4;
        if (m_alignment == taRightJustify) x = L + W - 2 - w;
        canvas.Font().SetColor(isEnabled() ? m_colorLabText : clGray);
        canvas.Brush().SetStyle(isEnabled() ? bsSolid : bsClear);
        canvas.Brush().SetColor(m_colorLabBakG);
        canvas.TextRect({L + 3, 2, L + W - 1, H - 3}, x, v, text);
    }
    return image.Image();
}

TRect TNumLab::TransparentFieldRect() const
{
    return {m_leftSpace + 2, 2, m_leftSpace + m_labelWidth, height() - 2};
}

TColor TNumLab::TransparentFieldColor() const
{
    return m_colorLabText == clBlack ? m_colorLabBakG : clWhite;
}

void TNumLab::PaintTo(TCanvas& target, int x, int y)
{
    // Positions this far out show nothing of a label (its size is below QWIDGETSIZE_MAX), and
    // adding the field's corners to them cannot overflow.
    constexpr int kFarOut = 1 << 29;
    x = std::clamp(x, -kFarOut, kFarOut);
    y = std::clamp(y, -kFarOut, kFarOut);
    const QImage image = RenderImage();
    const TCopyMode mode = target.CopyMode();
    if (m_transparent) {
        const TRect f = TransparentFieldRect();
        const TBrush saved = target.Brush();
        target.Brush().SetStyle(bsSolid);
        target.Brush().SetColor(TransparentFieldColor());
        target.FillRect({f.Left + x, f.Top + y, f.Right + x, f.Bottom + y});
        target.Brush().Assign(saved);
        target.SetCopyMode(cmSrcAnd);
    } else {
        target.SetCopyMode(cmSrcCopy);
    }
    target.Draw(x, y, image);
    target.SetCopyMode(mode);
}

QImage TNumLab::DeviceImage(qreal ratio)
{
    return RenderDeviceImage(width(), height(), ratio, m_deviceMirror, [this] { RenderImage(); });
}

void TNumLab::paintEvent(QPaintEvent*)
{
    const qreal ratio = devicePixelRatioF();
    const QImage image = ratio == 1.0 ? RenderImage() : DeviceImage(ratio);
    if (image.isNull()) return;
    if (m_transparent) {
        FillWidgetRect(*this, TransparentFieldRect(), TransparentFieldColor());
        PaintImageOnWidget(*this, image, 0, 0, cmSrcAnd);
    } else {
        PaintImageOnWidget(*this, image);
    }
}
