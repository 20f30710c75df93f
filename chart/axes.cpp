// The axes: copying axis settings into the internal scale objects, and the layout presets.
#include "chart/chart.h"

namespace {

// Location codes of a preset: horizontal axes 2 = top, 3 = bottom; vertical 0 = left, 1 = right.
constexpr int kLocTop = 2;
constexpr int kLocBottom = 3;
constexpr int kLocLeft = 0;
constexpr int kLocRight = 1;

struct TAxisPreset {
    int CaptionX, CaptionY;
    TAlignment Alignment;
    TScaleUnitAnchor Anchor;
    int ScalePos;
    bool Visible;
    int Location;
};

struct TLayoutPreset {
    int Bottom, Top, Left, Right;
    int CaptionX, CaptionY;
    TAlignment CaptionAlignment;
    TCaptionAnchorHoriz AnchorHoriz;
    TCaptionAnchorVert AnchorVert;
    TAxisPreset X[4];
    TAxisPreset Y[4];
};

// Shown axes.
constexpr TAxisPreset kX1 = {0, 22, taCenter, uaSclCenter, 0, true, kLocBottom};
constexpr TAxisPreset kY1Single = {0, -16, taLeftJustify, uaSclTopLft, 0, true, kLocLeft};
constexpr TAxisPreset YLeft(int pos) { return {0, -23, taRightJustify, uaSclTopLft, pos, true, kLocLeft}; }
constexpr TAxisPreset XBottomStacked(int pos) { return {-20, 7, taRightJustify, uaSclTopLft, pos, true, kLocBottom}; }
// Hidden axes.
constexpr TAxisPreset kXOff = {10, 100, taCenter, uaSclCenter, 0, false, kLocBottom};
constexpr TAxisPreset kYOff = {10, 100, taRightJustify, uaSclTopLft, 0, false, kLocLeft};
constexpr TAxisPreset kYOffHigh = {0, -23, taRightJustify, uaSclTopLft, 0, false, kLocLeft};

constexpr TLayoutPreset kPresets[] = {
    // rcl_X1Bottom_Y1Left
    {40, 20, 50, 20, 0, -16, taRightJustify, cahChartRight, cavChartTop,
     {kX1, kXOff, kXOff, kXOff}, {kY1Single, kYOff, kYOff, kYOff}},
    // rcl_X1Bottom_Y2Left
    {40, 24, 100, 20, 0, -16, taRightJustify, cahChartRight, cavChartTop,
     {kX1, kXOff, kXOff, kXOff}, {YLeft(0), YLeft(50), kYOff, kYOff}},
    // rcl_X1Bottom_Y3Left
    {40, 24, 150, 20, 0, -16, taRightJustify, cahChartRight, cavChartTop,
     {kX1, kXOff, kXOff, kXOff}, {YLeft(0), YLeft(50), YLeft(100), kYOff}},
    // rcl_X1Bottom_Y4Left
    {40, 24, 200, 20, 0, -16, taRightJustify, cahChartRight, cavChartTop,
     {kX1, kXOff, kXOff, kXOff}, {YLeft(0), YLeft(50), YLeft(100), YLeft(150)}},
    // rcl_X1Bottom_Y2Both
    {40, 24, 50, 50, 0, -20, taCenter, cahChartCenter, cavChartTop,
     {kX1, kXOff, kXOff, kXOff},
     {YLeft(0), {0, -23, taLeftJustify, uaSclTopLft, 0, true, kLocRight}, kYOff, kYOff}},
    // rcl_X2Bottom_Y2Left
    {70, 24, 100, 20, 0, -16, taRightJustify, cahChartRight, cavChartTop,
     {XBottomStacked(0), XBottomStacked(30), kXOff, kXOff}, {YLeft(0), YLeft(50), kYOff, kYOff}},
    // rcl_X2Both_Y2Both
    {40, 48, 50, 50, 0, -46, taCenter, cahChartCenter, cavChartTop,
     {XBottomStacked(0), {-20, -24, taRightJustify, uaSclTopLft, 0, true, kLocTop}, kXOff, kXOff},
     {{0, -40, taRightJustify, uaSclTopLft, 0, true, kLocLeft}, {0, -40, taLeftJustify, uaSclTopLft, 0, true, kLocRight},
      kYOffHigh, kYOffHigh}},
};

void ApplyAxisPreset(TScaleProps& axis, const TAxisPreset& p)
{
    axis.SetCaptionPosX(p.CaptionX);
    axis.SetCaptionPosY(p.CaptionY);
    axis.SetCaptionAlignment(p.Alignment);
    axis.SetCaptionAnchor(p.Anchor);
    axis.SetScalePos(p.ScalePos);
    axis.SetVisible(p.Visible);
}

}  // namespace

void TCustomRChart::SyncScale(TScale& scale, const TScaleProps& props)
{
    const int w = width(), h = height();
    scale.SetScaleType(props.ScaleType());
    // The margin that puts the axis line on its edge of the chart area, moved out by ScalePos.
    switch (props.ScaleType()) {
    case sctXB: scale.SetMarginBottom(props.ScalePos() + h - m_marginTop - 1); break;
    case sctXT: scale.SetMarginTop(props.ScalePos() + h - m_marginBottom - m_shadowWidth); break;
    case sctYL: scale.SetMarginLeft(props.ScalePos() + w - m_marginRight - m_shadowWidth); break;
    case sctYR: scale.SetMarginRight(props.ScalePos() + w - m_marginLeft - 1); break;
    }
    scale.SetRangeLow(props.RangeLow());
    scale.SetRangeHigh(props.RangeHigh());
    scale.SetVisible(props.Visible());
    scale.SetCaption(props.Caption());
    scale.SetCaptionPosX(props.CaptionPosX());
    scale.SetCaptionPosY(props.CaptionPosY());
    scale.SetCaptionAlignment(props.CaptionAlignment());
    scale.SetCaptionAnchor(props.CaptionAnchor());
    scale.SetColorScale(props.ColorScale());
    scale.SetDecPlaces(props.DecPlaces());
    scale.SetLogarithmic(props.Logarithmic());
    scale.SetLabelType(props.LabelType());
    scale.SetShortTicks(props.ShortTicks());
    scale.SetMinTicks(props.MinTicks());
    scale.SetScaleInscript(props.ScaleInscript());
    scale.SetUserTickText(props.UserTickText());
    if (!scale.Font().SameAs(props.Font())) scale.Font().Assign(props.Font());
    scale.Font().SetColor(props.Font().Color());
    const TDTLabel& from = props.DateFormat();
    TDTLabel& to = scale.DateFormat();
    to.SetTimeFormat(from.TimeFormat());
    to.SetDateSeparator(from.DateSeparator());
    to.SetTimeSeparator(from.TimeSeparator());
    to.SetYearLength(from.YearLength());
    to.SetMonthName(from.MonthName());
    to.SetDateForTime(from.DateForTime());
    to.SetDateOrder(from.DateOrder());
}

void TCustomRChart::SetStandardLayout(TrcLayout value)
{
    const int index = int(value);
    if (index < 0 || index >= int(std::size(kPresets))) return;
    const TLayoutPreset& p = kPresets[index];
    TPaintLockGuard lock(*this);
    {
        SetMarginLeft(p.Left);
        SetMarginRight(p.Right);
        SetMarginTop(p.Top);
        SetMarginBottom(p.Bottom);
        SetCaptionPosX(p.CaptionX);
        SetCaptionPosY(p.CaptionY);
        SetCaptionAlignment(p.CaptionAlignment);
        SetCaptionAnchorHoriz(p.AnchorHoriz);
        SetCaptionAnchorVert(p.AnchorVert);
        for (int i = 1; i <= 4; ++i) {
            TScalePropsHoriz& x = ScalePropsX(i);
            const TAxisPreset& px = p.X[i - 1];
            if (px.Location == kLocTop) x.SetScaleLocation(slTop);
            if (px.Location == kLocBottom) x.SetScaleLocation(slBottom);
            ApplyAxisPreset(x, px);
            TScalePropsVert& y = ScalePropsY(i);
            const TAxisPreset& py = p.Y[i - 1];
            if (py.Location == kLocLeft) y.SetScaleLocation(slLeft);
            if (py.Location == kLocRight) y.SetScaleLocation(slRight);
            ApplyAxisPreset(y, py);
        }
        for (int i = 5; i <= kMaxLayers; ++i) {
            ScalePropsX(i).SetVisible(false);
            ScalePropsY(i).SetVisible(false);
        }
        SyncAllScales();
    }
    lock.Release();
}
