// A window with one chart on axes 0..10 for trying the mouse by hand:
//
//   chartmouse_demo [pan|panhoriz|panvert|zoomdrag|zoomwind|zoomwindpos|rubberband|crosshair|label|none]
//
// The chart shows a cross of marks and a diagonal line, and prints every mouse event and the
// ranges after each pan or zoom to standard output.
#include <QApplication>
#include <QMainWindow>

#include <cstdio>
#include <map>
#include <string>

#include "chart/chart.h"

namespace {

const std::map<std::string, TMouseActMode> kModes = {
    {"none", maNone}, {"pan", maPan}, {"panhoriz", maPanHoriz}, {"panvert", maPanVert},
    {"zoomdrag", maZoomDrag}, {"zoomwind", maZoomWind}, {"zoomwindpos", maZoomWindPos},
    {"rubberband", maRubberBand}, {"crosshair", maDragCrossH}, {"label", maDragLabel}};

void Say(const char* format, auto... values)
{
    std::printf(format, values...);
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::string modeName = argc > 1 ? argv[1] : "pan";
    const auto mode = kModes.find(modeName);
    if (mode == kModes.end()) {
        std::fprintf(stderr, "unknown mode %s\n", modeName.c_str());
        return 2;
    }

    QMainWindow window;
    window.setWindowTitle("chart mouse");
    auto* chart = new TRChart(&window);
    window.setCentralWidget(chart);
    window.resize(600, 450);

    chart->SetLayerRange(1, 0, 0, 10, 10);
    chart->SetGridStyle(gsDotLines);
    chart->SetMouseAction(mode->second);
    chart->SetMouseCursorFixed(false);
    chart->SetDataColor(clBlue);
    for (int i = 0; i <= 10; ++i) {
        chart->AddMark(26, i, 5);
        chart->AddMark(26, 5, i);
    }
    chart->SetDataColor(clRed);
    chart->AddMoveTo(0, 0);
    chart->AddLineTo(10, 10);
    chart->CrossHair1().SetMode(chBoth);
    chart->CrossHair1().SetPosX(2);
    chart->CrossHair1().SetPosY(8);
    chart->TextLabel(1).SetMode(tlBox);
    chart->TextLabel(1).SetVisible(true);
    chart->TextLabel(1).SetCaption("label 1");
    chart->TextLabel(1).SetPosX(7);
    chart->TextLabel(1).SetPosY(2);
    chart->ShowItems();

    chart->OnMouseDown = [](TCustomRChart&, TMouseButton b, TShiftState, int x, int y) { Say("down %d at %d %d", b, x, y); };
    chart->OnMouseUp = [](TCustomRChart&, TMouseButton b, TShiftState, int x, int y) { Say("up %d at %d %d", b, x, y); };
    chart->OnClick = [](TCustomRChart&) { Say("click"); };
    chart->OnDblClick = [](TCustomRChart&) { Say("double click"); };
    chart->OnMouseEnter = [](TCustomRChart&) { Say("enter"); };
    chart->OnMouseLeave = [](TCustomRChart&) { Say("leave"); };
    chart->OnZoomPan = [](TCustomRChart& c) {
        Say("zoompan x %g..%g y %g..%g", c.ScalePropsX(1).RangeLow(), c.ScalePropsX(1).RangeHigh(),
            c.ScalePropsY(1).RangeLow(), c.ScalePropsY(1).RangeHigh());
    };
    chart->OnRubberBand = [](TCustomRChart&, int layer, double lx, double ly, double hx, double hy) {
        Say("rubberband layer %d x %g..%g y %g..%g", layer, lx, hx, ly, hy);
    };
    window.show();
    return app.exec();
}
