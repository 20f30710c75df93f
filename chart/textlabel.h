#pragma once
// One of the chart's 30 text labels: a caption of one or more lines anchored at a pixel or world
// position, plain, boxed, underlined or with a shadow. Every setter stores and fires OnChange,
// also when the value did not change, unless its comment says otherwise.
#include <functional>
#include <string>

#include "chart/charttypes.h"
#include "common/types.h"
#include "platform/font.h"

class TCustomTextLabel {
public:
    TCustomTextLabel();
    virtual ~TCustomTextLabel();
    TCustomTextLabel(const TCustomTextLabel&) = delete;
    TCustomTextLabel& operator=(const TCustomTextLabel&) = delete;

    // properties
    // Anchor: control pixels or world units of Layer, by AttachToData.
    double PosX() const { return m_posX; }
    void SetPosX(double value);
    double PosY() const { return m_posY; }
    void SetPosY(double value);
    void SetPos(double x, double y);           // both coordinates, one notification
    int Layer() const { return m_layer; }
    void SetLayer(int value);                  // values outside 1..16 are ignored (no notification)
    TTxtLblAttachMode AttachToData() const { return m_attachToData; }
    void SetAttachToData(TTxtLblAttachMode value);
    TColor ColorBkg() const { return m_colorBkg; }
    void SetColorBkg(TColor value);
    TColor ColorBorder() const { return m_colorBorder; }
    void SetColorBorder(TColor value);
    TColor ColorShadow() const { return m_colorShadow; }
    void SetColorShadow(TColor value);
    int ShadowDx() const { return m_shadowDx; }
    void SetShadowDx(int value);
    int ShadowDy() const { return m_shadowDy; }
    void SetShadowDy(int value);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment value);
    TVerticalAlignment VerticalAlignment() const { return m_verticalAlignment; }
    void SetVerticalAlignment(TVerticalAlignment value);
    // Owned; a change of any attribute fires OnChange.
    TFont& Font() { return m_font; }
    const TFont& Font() const { return m_font; }
    void SetFont(const TFont& value);          // copies the attributes
    TTxtLblMode Mode() const { return m_mode; }
    void SetMode(TTxtLblMode value);
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& value); // control characters other than line feed become blanks
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);

    // events
    std::function<void(TCustomTextLabel& Sender)> OnChange;

protected:
    void Changed()
    {
        if (OnChange) OnChange(*this);
    }

private:
    double m_posX = 100.0;
    double m_posY = 10.0;
    int m_layer = 1;
    TTxtLblAttachMode m_attachToData = tlamNone;
    TColor m_colorBkg = clSilver;
    TColor m_colorBorder = clBlack;
    TColor m_colorShadow = clGray;
    int m_shadowDx = 0;
    int m_shadowDy = 0;
    bool m_transparent = false;
    TAlignment m_alignment = taCenter;
    TVerticalAlignment m_verticalAlignment = vaBottom;
    TFont m_font;
    TTxtLblMode m_mode = tlsimple;
    std::string m_caption;
    bool m_visible = true;
};

class TTextLabel : public TCustomTextLabel {
public:
    TTextLabel() = default;
};
