#include "chart/crosshair.h"

#include <algorithm>

void TCrossHair::SetPosX(double value)
{
    m_posX = value;
    Changed();
}

void TCrossHair::SetPosY(double value)
{
    m_posY = value;
    Changed();
}

void TCrossHair::SetPos(double x, double y)
{
    m_posX = x;
    m_posY = y;
    Changed();
}

void TCrossHair::SetColor(TColor value)
{
    m_color = value;
    Changed();
}

void TCrossHair::SetMode(TCrossHMode value)
{
    m_mode = value;
    Changed();
}

void TCrossHair::SetLineType(TPenStyle value)
{
    m_lineType = value;
    Changed();
}

void TCrossHair::SetLineWid(int value)
{
    m_lineWid = value;
    Changed();
}

void TCrossHair::SetLayer(int value)
{
    m_layer = std::clamp(value, 1, kMaxLayers);
    Changed();
}
