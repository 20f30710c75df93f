// Golden pictures of the scale control in each orientation, opaque and transparent, linear and
// logarithmic: any pixel change of ticks, labels, caption or frame fails here.
// UPDATE_GOLDENS=1 rewrites the PNGs (after a deliberate change of the picture).
#include <gtest/gtest.h>

#include <QImage>
#include <memory>
#include <string>

#include "scale/scale.h"
#include "testsupport/testsupport.h"

namespace {

struct GoldenCase {
    const char* name;
    TScaleType type;
    double low, high;
    bool logarithmic;
    bool transparent;
};

class ScaleGoldens : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(ScaleGoldens, MatchTheirPicture)
{
    const GoldenCase& c = GetParam();
    TScale scale;
    const bool vertical = c.type == sctYL || c.type == sctYR;
    scale.SetBounds(0, 0, vertical ? 90 : 300, vertical ? 260 : 70);
    scale.SetScaleType(c.type);
    scale.SetRangeLow(c.low);
    scale.SetRangeHigh(c.high);
    scale.SetLogarithmic(c.logarithmic);
    scale.SetCaption("Achse");
    scale.SetColorScale(clNavy);
    scale.Font().SetName("Arial");
    scale.Font().SetHeight(12);
    scale.SetTransparent(c.transparent);
    // A transparent stand-alone scale leaves its painting to the toolkit; embedded it draws at once.
    scale.SetEmbedded(c.transparent);
    QImage image(scale.width(), scale.height(), QImage::Format_RGB32);
    image.fill(0xFFFFFFFFu);
    TCanvas canvas(&image);
    scale.SetExternalCanvas(&canvas, 0, 0);
    scale.RenderNow();
    EXPECT_TRUE(testsupport::MatchesGolden(image, std::string(KALMIRA_GOLDEN_DIR) + "/scale_" + c.name + ".png"));
}

INSTANTIATE_TEST_SUITE_P(Orientations, ScaleGoldens,
                         ::testing::Values(GoldenCase{"xb", sctXB, 0, 100, false, false},
                                           GoldenCase{"xt", sctXT, -3.5, 12.25, false, true},
                                           GoldenCase{"yl", sctYL, 1, 1e5, true, false},
                                           GoldenCase{"yr", sctYR, 50, -50, false, true},
                                           GoldenCase{"xblog", sctXB, 0.02, 300, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
