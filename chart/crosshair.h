#pragma once
// One of the chart's four crosshairs: horizontal and/or vertical hair lines, or a small cross
// with a box, at a world position of its layer. Every setter stores and fires OnChange, also
// when the value did not change.
#include <functional>

#include "chart/charttypes.h"
#include "common/types.h"

class TCrossHair {
public:
    TCrossHair() = default;
    TCrossHair(const TCrossHair&) = delete;
    TCrossHair& operator=(const TCrossHair&) = delete;

    // properties
    double PosX() const { return m_posX; }
    void SetPosX(double value);
    double PosY() const { return m_posY; }
    void SetPosY(double value);
    void SetPos(double x, double y);           // both coordinates, one notification
    TColor Color() const { return m_color; }
    void SetColor(TColor value);
    TCrossHMode Mode() const { return m_mode; }
    void SetMode(TCrossHMode value);
    TPenStyle LineType() const { return m_lineType; }
    void SetLineType(TPenStyle value);
    int LineWid() const { return m_lineWid; }
    void SetLineWid(int value);
    int Layer() const { return m_layer; }
    void SetLayer(int value);                  // clamped into 1..16

    // events
    std::function<void(TCrossHair& Sender)> OnChange;

private:
    void Changed()
    {
        if (OnChange) OnChange(*this);
    }

    double m_posX = 0.0;
    double m_posY = 0.0;
    TColor m_color = clBlack;
    TCrossHMode m_mode = chOff;
    TPenStyle m_lineType = psSolid;
    int m_lineWid = 1;
    int m_layer = 1;
};
