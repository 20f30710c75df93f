#include "chart/scaleprops.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMinDecPlaces = -3;
constexpr int kMaxDecPlaces = 12;
constexpr int kTimeDecPlaces = 4;

}  // namespace

TScaleProps::TScaleProps()
{
    m_font.OnChange = [this](TFont&) { Changed(); };
}

TScaleProps::~TScaleProps()
{
    m_font.OnChange = nullptr;
}

void TScaleProps::SetCaption(const std::string& value)
{
    m_caption = value;
    Changed();
}

void TScaleProps::SetCaptionPosX(int value)
{
    m_captionPosX = value;
    Changed();
}

void TScaleProps::SetCaptionPosY(int value)
{
    m_captionPosY = value;
    Changed();
}

void TScaleProps::SetCaptionAlignment(TAlignment value)
{
    m_captionAlignment = value;
    Changed();
}

void TScaleProps::SetCaptionAnchor(TScaleUnitAnchor value)
{
    m_captionAnchor = value;
    Changed();
}

void TScaleProps::SetColorScale(TColor value)
{
    m_colorScale = value;
    Changed();
}

void TScaleProps::SetDecPlaces(int value)
{
    m_decPlaces = std::clamp(value, kMinDecPlaces, kMaxDecPlaces);
    Changed();
}

void TScaleProps::SetLogarithmic(bool value)
{
    if (!value)
        m_logarithmic = false;
    else if (m_loading || (m_rangeLow >= kLogFloor && m_rangeHigh >= kLogFloor && m_labelType != ftDateTime))
        m_logarithmic = true;
    Changed();
}

void TScaleProps::SetLabelType(TFigType value)
{
    m_labelType = value;
    if (value == ftDateTime) m_logarithmic = false;
    if (value == ftTime) m_decPlaces = kTimeDecPlaces;
    Changed();
}

void TScaleProps::SetMinTicks(int value)
{
    m_minTicks = value;
    Changed();
}

void TScaleProps::SetMinRange(double value)
{
    // An infinite minimum would make both ends infinite; it is ignored like a value at the floor.
    if (!(value > kLogFloor) || !std::isfinite(value)) return;
    m_minRange = value;
    if (std::fabs(m_rangeHigh - m_rangeLow) < value) {
        const double c = (m_rangeLow + m_rangeHigh) / 2;
        m_rangeLow = c - value / 2;
        m_rangeHigh = c + value / 2;
        Changed();
    }
}

void TScaleProps::SetRangeLow(double value)
{
    // A NaN or infinite end cannot be mapped to pixels: it is not stored (the listener still
    // hears of the attempt, as for a refused end on a logarithmic axis).
    if (!std::isfinite(value)) {
        Changed();
        return;
    }
    if (std::fabs(m_rangeHigh - value) < m_minRange) {
        m_rangeLow = value;
        m_rangeHigh = value + m_minRange;
    } else if (!m_logarithmic || value >= kLogFloor) {
        m_rangeLow = value;
    }
    Changed();
}

void TScaleProps::SetRangeHigh(double value)
{
    if (!std::isfinite(value)) {
        Changed();
        return;
    }
    if (std::fabs(m_rangeLow - value) < m_minRange) {
        m_rangeHigh = value;
        m_rangeLow = value - m_minRange;
    } else if (!m_logarithmic || value >= kLogFloor) {
        m_rangeHigh = value;
    }
    Changed();
}

void TScaleProps::SetShortTicks(bool value)
{
    m_shortTicks = value;
    Changed();
}

void TScaleProps::SetScaleInscript(const std::string& value)
{
    m_scaleInscript = value;
    Changed();
}

void TScaleProps::SetScalePos(int value)
{
    m_scalePos = value;
    Changed();
}

void TScaleProps::SetUserTickText(const std::string& value)
{
    m_userTickText = value;
    Changed();
}

void TScaleProps::SetVisible(bool value)
{
    m_visible = value;
    Changed();
}

TScalePropsHoriz::TScalePropsHoriz()
{
    m_scaleType = sctXT;
}

void TScalePropsHoriz::SetScaleLocation(TScaleLocationHoriz value)
{
    m_location = value;
    // The scale object's baseline lies on the side facing the chart area.
    m_scaleType = value == slTop ? sctXB : sctXT;
    Changed();
}

TScalePropsVert::TScalePropsVert()
{
    m_scaleType = sctYR;
}

void TScalePropsVert::SetScaleLocation(TScaleLocationVert value)
{
    m_location = value;
    m_scaleType = value == slLeft ? sctYR : sctYL;
    Changed();
}
