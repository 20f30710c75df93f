#pragma once
// TNumLab: a framed field that shows one number in one of fifteen formats, with optional
// captions left and right of it. Every repaint draws the whole label into an off-screen image
// and copies that to the screen in one step.
#include <QWidget>
#include <functional>
#include <string>

#include "common/framestyle.h"
#include "common/types.h"
#include "numlab/numlabtext.h"
#include "platform/canvas.h"
#include "platform/font.h"

// Largest field width in pixels (either sign): far beyond any screen, small enough that the
// field's positions never overflow.
constexpr int kMaxLabelWidth = 1000000;

class TNumLab;

using TBeforeDisplayEvent = std::function<void(TNumLab& Sender, std::string& Text)>;

class TNumLab : public QWidget {
    Q_OBJECT

public:
    // 160 x 28 pixels, the defaults listed with the properties.
    explicit TNumLab(QWidget* parent = nullptr);
    ~TNumLab() override;

    // properties; a setter repaints at once when the value changed (an equal value does nothing)
    double Value() const { return m_value; }
    void SetValue(double value);
    TDisplay DisplayType() const { return m_text.DisplayType; }
    void SetDisplayType(TDisplay value);
    int Precision() const { return m_text.Precision; }
    void SetPrecision(int value);               // negative values are ignored; above 15 stores 15
    bool Comma() const { return m_comma; }      // "," instead of "." in the field
    void SetComma(bool value);
    bool ForcePlusSign() const { return m_forcePlusSign; }
    void SetForcePlusSign(bool value);
    bool Empty() const { return m_empty; }      // the field without a number
    void SetEmpty(bool value);
    const std::string& StateText() const { return m_text.StateText; }
    void SetStateText(const std::string& value);
    const std::string& DTFormat() const { return m_text.DTFormat; }
    void SetDTFormat(const std::string& value);
    const std::string& OverflowIndicator() const { return m_overflowIndicator; }
    void SetOverflowIndicator(const std::string& value);
    const std::string& LeftText() const { return m_leftText; }
    void SetLeftText(const std::string& value);
    const std::string& RightText() const { return m_rightText; }
    void SetRightText(const std::string& value);
    TAlignment LeftTextAlignment() const { return m_leftTextAlignment; }
    void SetLeftTextAlignment(TAlignment value);
    TAlignment RightTextAlignment() const { return m_rightTextAlignment; }
    void SetRightTextAlignment(TAlignment value);
    TAlignment Alignment() const { return m_alignment; }  // of the number in the field
    void SetAlignment(TAlignment value);
    int LeftSpace() const { return m_leftSpace; }  // x of the field's left edge
    void SetLeftSpace(int value);               // negative values are ignored; at most the width
    int LabelWidth() const { return m_labelWidth; }  // width of the field's inside
    void SetLabelWidth(int value);              // clamped into -kMaxLabelWidth..kMaxLabelWidth
    TFrameStyle FrameStyle() const { return m_frameStyle; }
    void SetFrameStyle(TFrameStyle value);
    TColorScheme ColorScheme() const { return m_colorScheme; }
    void SetColorScheme(TColorScheme value);    // also sets the shadow and highlight colours
    TColor ColorLabBakG() const { return m_colorLabBakG; }
    void SetColorLabBakG(TColor value);
    TColor ColorLabText() const { return m_colorLabText; }
    void SetColorLabText(TColor value);
    TColor ColorOutBakG() const { return m_colorOutBakG; }
    void SetColorOutBakG(TColor value);
    TColor ColorOutText() const { return m_colorOutText; }
    void SetColorOutText(TColor value);
    // Outside the field the parent shows through; what is drawn darkens it (bitwise AND).
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value);            // true asks for a later repaint
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool value);                // the enabled or the greyed (etched) look
    TFont& Font() { return m_font; }            // any change repaints
    const TFont& Font() const { return m_font; }

    // Frame colours: dark is black; shadow and highlight follow ColorScheme.
    TColor FrameColorDark() const { return m_frameDark; }
    TColor FrameColorShadow() const { return m_frameShadow; }
    TColor FrameColorHighlight() const { return m_frameHighlight; }

    // events
    TBeforeDisplayEvent OnBeforeDisplay;        // may change the finished text of the number

    // operations
    // Copies the field settings, texts, value, colours, frame and display type (not Comma,
    // ForcePlusSign, DTFormat, the font or the size), then repaints.
    void Assign(const TNumLab& source);
    // The text the field shows now (after OnBeforeDisplay and the overflow check); empty when
    // Empty is set. Calls OnBeforeDisplay like a repaint does.
    std::string DisplayedText();
    // Draws the whole label into a new image of Width x Height, as a repaint does.
    QImage RenderImage();
    // The label at device pixel ratio `ratio`, drawn at device resolution (what the widget
    // shows on a screen of a ratio other than 1).
    QImage DeviceImage(qreal ratio);
    // A repaint onto `target` at (x, y): a plain copy, or for a Transparent label the field
    // fill and the AND combination.
    void PaintTo(TCanvas& target, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Redraw();
    std::string NumberText();                   // the value as text (or the overflow indicator), after OnBeforeDisplay
    void DrawCaption(TCanvas& canvas, const std::string& text, int x, int y);
    void DrawField(TCanvas& canvas);
    TRect TransparentFieldRect() const;
    TColor TransparentFieldColor() const;
    template <class T>
    void Store(T& member, const T& value);

    double m_value = 0.0;
    TNumberTextParams m_text;
    bool m_comma = false;
    bool m_forcePlusSign = false;
    bool m_empty = false;
    std::string m_overflowIndicator = "*********";
    std::string m_leftText;
    std::string m_rightText;
    TAlignment m_leftTextAlignment = taRightJustify;
    TAlignment m_rightTextAlignment = taLeftJustify;
    TAlignment m_alignment = taCenter;
    int m_leftSpace = 35;
    int m_labelWidth = 80;
    TFrameStyle m_frameStyle = fsLowered;
    TColorScheme m_colorScheme = csBWG;
    TColor m_colorLabBakG = clBtnFace;
    TColor m_colorLabText = clBlack;
    TColor m_colorOutBakG = clBtnFace;
    TColor m_colorOutText = clBlack;
    TColor m_frameDark = clBlack;
    TColor m_frameShadow = clGray;
    TColor m_frameHighlight = clWhite;
    bool m_transparent = false;
    TFont m_font;
    QPainter* m_deviceMirror = nullptr;  // while DeviceImage draws: the painter the label is copied to
};
