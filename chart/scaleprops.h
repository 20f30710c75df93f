#pragma once
// Settings of one axis of one chart layer. The chart owns 32 of them (a horizontal and a
// vertical one per layer), copies them into its internal scale objects (SyncScale) and repaints
// when OnChange fires.
#include <functional>
#include <string>

#include "chart/chartkey.h"
#include "chart/charttypes.h"
#include "common/types.h"
#include "platform/font.h"
#include "scale/dtlabel.h"
#include "scale/scaletypes.h"

class TCustomRChart;

class TScaleProps {
public:
    TScaleProps();
    virtual ~TScaleProps();
    TScaleProps(const TScaleProps&) = delete;  // copying would copy the listener
    TScaleProps& operator=(const TScaleProps&) = delete;

    // properties; every setter stores and then fires OnChange, also when the value is unchanged,
    // unless its comment says otherwise
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& value);
    int CaptionPosX() const { return m_captionPosX; }
    void SetCaptionPosX(int value);
    int CaptionPosY() const { return m_captionPosY; }
    void SetCaptionPosY(int value);
    TAlignment CaptionAlignment() const { return m_captionAlignment; }
    void SetCaptionAlignment(TAlignment value);
    TScaleUnitAnchor CaptionAnchor() const { return m_captionAnchor; }
    void SetCaptionAnchor(TScaleUnitAnchor value);
    TColor ColorScale() const { return m_colorScale; }
    void SetColorScale(TColor value);
    // Owned; its own OnChange reaches the chart too.
    TDTLabel& DateFormat() { return m_dateFormat; }
    const TDTLabel& DateFormat() const { return m_dateFormat; }
    int DecPlaces() const { return m_decPlaces; }
    void SetDecPlaces(int value);              // clamped into -3..12
    // Owned; a change of any attribute fires OnChange.
    TFont& Font() { return m_font; }
    const TFont& Font() const { return m_font; }
    bool Logarithmic() const { return m_logarithmic; }
    // false is always taken; true only while loading, or when both ends are at least 1e-100 and
    // the labels are not date-times. Fires OnChange in every case.
    void SetLogarithmic(bool value);
    TFigType LabelType() const { return m_labelType; }
    void SetLabelType(TFigType value);         // ftDateTime clears Logarithmic; ftTime sets DecPlaces 4
    int MinTicks() const { return m_minTicks; }
    void SetMinTicks(int value);               // stored unchecked
    double MinRange() const { return m_minRange; }
    // At or below 1e-100, NaN or infinite: ignored without notification. A narrower range is widened
    // around its centre and notifies; otherwise only stored.
    void SetMinRange(double value);
    double RangeLow() const { return m_rangeLow; }
    // Closer than MinRange to RangeHigh: RangeHigh := value + MinRange. Otherwise stored, on a
    // logarithmic axis only when value >= 1e-100. NaN and infinities are not stored. Notifies in
    // every case.
    void SetRangeLow(double value);
    double RangeHigh() const { return m_rangeHigh; }
    void SetRangeHigh(double value);           // the mirror image of SetRangeLow
    bool ShortTicks() const { return m_shortTicks; }
    void SetShortTicks(bool value);
    const std::string& ScaleInscript() const { return m_scaleInscript; }
    void SetScaleInscript(const std::string& value);
    // Pixels by which the axis moves outwards from the edge of the chart area.
    int ScalePos() const { return m_scalePos; }
    void SetScalePos(int value);
    const std::string& UserTickText() const { return m_userTickText; }
    void SetUserTickText(const std::string& value);
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);

    // The side of its drawing area on which the scale object puts the axis line.
    TScaleType ScaleType() const { return m_scaleType; }
    // Set at creation, cleared by the chart when it has finished loading stored settings.
    bool Loading() const { return m_loading; }

    // events
    std::function<void(TScaleProps& Sender)> OnChange;

    // operations
    void Changed()
    {
        if (OnChange) OnChange(*this);
    }

    // For the owning chart, which alone holds a TChartKey: direct stores of its range rules and
    // its loading flag; they do not notify.
    void StoreRangeLow(TChartKey, double value) { m_rangeLow = value; }
    void StoreRangeHigh(TChartKey, double value) { m_rangeHigh = value; }
    void SetLoading(TChartKey, bool value) { m_loading = value; }

protected:
    TScaleType m_scaleType = sctXT;

private:

    std::string m_caption;
    int m_captionPosX = 0;
    int m_captionPosY = 0;
    TAlignment m_captionAlignment = taCenter;
    TScaleUnitAnchor m_captionAnchor = uaSclTopLft;
    TColor m_colorScale = clBlack;
    TDTLabel m_dateFormat;
    int m_decPlaces = -2;
    TFont m_font;
    bool m_logarithmic = false;
    TFigType m_labelType = ftNum;
    int m_minTicks = 3;
    double m_minRange = 1e-10;
    double m_rangeLow = 0.0;
    double m_rangeHigh = 1.0;
    bool m_shortTicks = true;
    std::string m_scaleInscript;
    int m_scalePos = 0;
    std::string m_userTickText;
    bool m_visible = false;
    bool m_loading = true;
};

// A horizontal axis: below (slBottom) or above (slTop) the chart area.
class TScalePropsHoriz : public TScaleProps {
public:
    TScalePropsHoriz();
    TScaleLocationHoriz ScaleLocation() const { return m_location; }
    void SetScaleLocation(TScaleLocationHoriz value);  // also sets ScaleType; notifies

private:
    TScaleLocationHoriz m_location = slBottom;
};

// A vertical axis: left (slLeft) or right (slRight) of the chart area.
class TScalePropsVert : public TScaleProps {
public:
    TScalePropsVert();
    TScaleLocationVert ScaleLocation() const { return m_location; }
    void SetScaleLocation(TScaleLocationVert value);   // also sets ScaleType; notifies

private:
    TScaleLocationVert m_location = slLeft;
};
