#pragma once
// Background settings of the chart area: a picture file and how it covers the area, or a
// coloured region given in world coordinates of layer 1. Every setter stores and fires OnChange.
#include <functional>
#include <string>

#include "chart/charttypes.h"
#include "common/types.h"

class TBakGndImg {
public:
    TBakGndImg() = default;
    TBakGndImg(const TBakGndImg&) = delete;
    TBakGndImg& operator=(const TBakGndImg&) = delete;

    // properties
    const std::string& Name() const { return m_name; }
    void SetName(const std::string& value);    // without IncludePath only the file-name part is kept
    bool IncludePath() const { return m_includePath; }
    void SetIncludePath(bool value);           // false also strips the path from Name
    TBkgFill FillMode() const { return m_fillMode; }
    void SetFillMode(TBkgFill value);
    TBGAreaMode AreaMode() const { return m_areaMode; }
    void SetAreaMode(TBGAreaMode value);
    TColor AreaColor() const { return m_areaColor; }
    void SetAreaColor(TColor value);
    double AreaLeft() const { return m_areaLeft; }
    void SetAreaLeft(double value);
    double AreaRight() const { return m_areaRight; }
    void SetAreaRight(double value);
    double AreaTop() const { return m_areaTop; }
    void SetAreaTop(double value);
    double AreaBottom() const { return m_areaBottom; }
    void SetAreaBottom(double value);

    // events
    std::function<void(TBakGndImg& Sender)> OnChange;

    // For the owning chart: forgets a picture that failed to load, without notification.
    void ForgetName() { m_name.clear(); }

private:
    void Changed()
    {
        if (OnChange) OnChange(*this);
    }

    std::string m_name;
    bool m_includePath = false;
    TBkgFill m_fillMode = bfStretch;
    TBGAreaMode m_areaMode = bamNone;
    TColor m_areaColor = 0xDDDDDD;
    double m_areaLeft = -1.0;
    double m_areaRight = 1.0;
    double m_areaTop = 1.0;
    double m_areaBottom = -1.0;
};
