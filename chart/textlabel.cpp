#include "chart/textlabel.h"

TCustomTextLabel::TCustomTextLabel()
{
    m_font.OnChange = [this](TFont&) { Changed(); };
}

TCustomTextLabel::~TCustomTextLabel()
{
    m_font.OnChange = nullptr;
}

void TCustomTextLabel::SetPosX(double value)
{
    m_posX = value;
    Changed();
}

void TCustomTextLabel::SetPosY(double value)
{
    m_posY = value;
    Changed();
}

void TCustomTextLabel::SetPos(double x, double y)
{
    m_posX = x;
    m_posY = y;
    Changed();
}

void TCustomTextLabel::SetLayer(int value)
{
    if (value < 1 || value > kMaxLayers) return;
    m_layer = value;
    Changed();
}

void TCustomTextLabel::SetAttachToData(TTxtLblAttachMode value)
{
    m_attachToData = value;
    Changed();
}

void TCustomTextLabel::SetColorBkg(TColor value)
{
    m_colorBkg = value;
    Changed();
}

void TCustomTextLabel::SetColorBorder(TColor value)
{
    m_colorBorder = value;
    Changed();
}

void TCustomTextLabel::SetColorShadow(TColor value)
{
    m_colorShadow = value;
    Changed();
}

void TCustomTextLabel::SetShadowDx(int value)
{
    m_shadowDx = value;
    Changed();
}

void TCustomTextLabel::SetShadowDy(int value)
{
    m_shadowDy = value;
    Changed();
}

void TCustomTextLabel::SetTransparent(bool value)
{
    m_transparent = value;
    Changed();
}

void TCustomTextLabel::SetAlignment(TAlignment value)
{
    m_alignment = value;
    Changed();
}

void TCustomTextLabel::SetVerticalAlignment(TVerticalAlignment value)
{
    m_verticalAlignment = value;
    Changed();
}

void TCustomTextLabel::SetFont(const TFont& value)
{
    m_font.Assign(value);  // notifies through the font's listener
}

void TCustomTextLabel::SetMode(TTxtLblMode value)
{
    m_mode = value;
    Changed();
}

void TCustomTextLabel::SetCaption(const std::string& value)
{
    m_caption = value;
    for (char& c : m_caption)
        if (static_cast<unsigned char>(c) < 32 && c != '\n') c = ' ';
    Changed();
}

void TCustomTextLabel::SetVisible(bool value)
{
    m_visible = value;
    Changed();
}
