#pragma once
// The pass to the chart's internal operations: the images and canvases it paints into, its
// paint passes, the mutable display list and the direct stores of its axes. Only the chart, its
// mouse handling and its test support (chart/tests/chartprobe.h) can make one, so a program using
// the control reaches the chart through its public operations alone.
class TChartKey {
    friend class TCustomRChart;
    friend class TChartMouse;
    friend class TChartProbe;
    TChartKey() = default;
};
