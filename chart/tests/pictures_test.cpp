// Pictures for a reviewer's eye, not a check: every glyph kind and every item kind enlarged, and
// a chart as the main window shows it. Run with
//   chart_tests --gtest_also_run_disabled_tests --gtest_filter='Pictures.*'
// and find the PNGs in the folder named by KALMIRA_PICTURES (the working directory otherwise).
#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <random>
#include <string>

#include "chart/chart.h"
#include "chart/glyphs.h"
#include "chart/tests/chartprobe.h"

namespace {

std::string PictureFolder()
{
    const QByteArray dir = qgetenv("KALMIRA_PICTURES");
    return dir.isEmpty() ? std::string(".") : dir.toStdString();
}

void Save(const QImage& image, int scale, const std::string& name)
{
    const QImage big = image.scaled(image.width() * scale, image.height() * scale, Qt::IgnoreAspectRatio,
                                    Qt::FastTransformation);
    ASSERT_TRUE(big.save(QString::fromStdString(PictureFolder() + "/" + name)));
}

TEST(Pictures, DISABLED_GlyphKinds)
{
    // 13 glyphs per row in cells of 14 pixels, a grey dot under each centre's neighbours.
    constexpr int kCell = 14, kPerRow = 13;
    const int kinds[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                         21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41,
                         42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 65, 203, 233};
    const int n = int(std::size(kinds));
    QImage img(kPerRow * kCell, ((n + kPerRow - 1) / kPerRow) * kCell, QImage::Format_RGB32);
    img.fill(0xFFFFFFFFu);
    TCanvas canvas(&img);
    canvas.Font().SetHeight(11);
    canvas.Font().SetColor(clNavy);
    canvas.Brush().SetStyle(bsClear);
    for (int i = 0; i < n; ++i) {
        const int cx = (i % kPerRow) * kCell + kCell / 2, cy = (i / kPerRow) * kCell + kCell / 2 + 1;
        canvas.Pen().SetColor(clNavy);
        DrawMarkGlyph(canvas, std::uint8_t(kinds[i]), cx, cy);
        img.setPixel((i % kPerRow) * kCell, (i / kPerRow) * kCell, 0xFFC0C0C0u);
    }
    Save(img, 8, "glyphs.png");
}

TEST(Pictures, DISABLED_ItemKinds)
{
    TRChart chart;
    chart.SetBounds(0, 0, 50 + 300 + 20, 20 + 200 + 40);
    chart.SetLayerRange(1, 0, 0, 300, 200);
    chart.SetDataColor(clNavy);
    chart.SetFillColor(clAqua);
    chart.AddMark(26, 20, 180);
    AddLine(chart, 40, 170, 80, 190);
    chart.AddMoveTo(100, 170);
    chart.AddLineTo(120, 190);
    chart.AddLineTo(140, 170);
    AddRect(chart, 160, 170, 190, 190);
    AddRect3D(chart, 210, 170, 240, 190, clWhite, clGray, 2);
    AddRect3D(chart, 255, 170, 285, 190, clWhite, clGray, 4);
    AddBar3D(chart, 20, 100, 50, 140, 12, 45);
    AddBar3D(chart, 90, 100, 120, 140, 12, 120);
    AddText(chart, 150, 150, "Text", 10, taLeftJustify);
    AddTextOffset(chart, 150, 150, 0, 14, "Offset", 10, taLeftJustify);
    AddEllipse(chart, 230, 130, 25, 12);
    AddEllipse(chart, 230, 130, 10, 5, true);
    chart.AddMoveTo(20, 60);
    AddLineRel(chart, 30, 0);
    AddMoveRel(chart, 0, 8);
    AddLineRel(chart, -30, 0);
    AddArrow(chart, 80, 40, 130, 70, 10);
    AddArrow(chart, 150, 40, 200, 40, 10, true);
    AddRectCentred(chart, 250, 50, 12, 6);
    AddRectCentred(chart, 280, 50, 4, 12, true);
    QImage img(chart.AreaWidth() + 1, chart.AreaHeight() + 1, QImage::Format_RGB32);
    img.fill(0xFFFFFFFFu);
    TCanvas canvas(&img);
    TChartProbe::RenderData(chart, canvas, 0, 0, false, false);
    Save(img, 3, "items.png");
    img.fill(0xFFFFFFFFu);
    TChartProbe::RenderData(chart, canvas, 0, 0, true, false);
    Save(img, 3, "items-monochrome.png");
}

TEST(Pictures, DISABLED_MainWindowChart)
{
    TRChart chart;
    chart.SetBounds(0, 0, 560, 400);
    chart.SetGridStyle(gsDotLines);
    chart.SetGridColor(clSilver);
    chart.SetDataColor(clGreen);
    for (TScaleProps* s : {static_cast<TScaleProps*>(&chart.Scale1X()), static_cast<TScaleProps*>(&chart.Scale1Y())}) {
        s->SetMinTicks(6);
        s->SetShortTicks(false);
    }
    chart.SetLayerRange(1, 0, 0, 10, 10);
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> ux(0.2, 9.8);
    std::normal_distribution<double> noise(0.0, 0.6);
    for (int i = 0; i < 40; ++i) {
        const double x = ux(rng);
        chart.AddMark(26, x, 2 + 0.6 * x + noise(rng));
    }
    chart.SetDataColor(clRed);
    chart.AddMoveTo(0, 2);
    for (int i = 1; i <= 200; ++i) chart.AddLineTo(i * 0.05, 2 + 0.6 * i * 0.05);
    TTextLabel& label = chart.TextLabel(1);
    label.SetCaption("y = 0.6*x + 2\nR\xc2\xb2 = 0.93");
    label.SetAttachToData(tlamBoth);
    label.SetPosX(3);
    label.SetPosY(8.5);
    label.SetMode(tlShadow);
    label.SetColorBkg(clYellow);
    label.SetVisible(true);
    TCrossHair& hair = chart.CrossHair1();
    hair.SetMode(chBoth);
    hair.SetColor(clBlue);
    hair.SetLineType(psDot);
    hair.SetPosX(6.5);
    hair.SetPosY(5.9);
    TCrossHair& box = chart.CrossHair2();
    box.SetLayer(1);
    box.SetMode(chBox);
    box.SetColor(clPurple);
    box.SetPosX(8);
    box.SetPosY(3);
    chart.show();
    chart.SetPaintLock(false);
    chart.Paint();
    Save(chart.ScreenImage(), 2, "chart.png");
}

}  // namespace
