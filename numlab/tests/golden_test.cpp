// Golden pictures of the numeric display label: the main window's fit-quality label and a
// framed label with texts on both sides. UPDATE_GOLDENS=1 rewrites the PNGs.
#include <gtest/gtest.h>

#include <string>

#include "numlab/numlab.h"
#include "testsupport/testsupport.h"

namespace {

std::string Golden(const std::string& name) { return std::string(KALMIRA_GOLDEN_DIR) + "/" + name; }

TEST(NumLabGoldens, FitQualityLabel)
{
    TNumLab lab;
    lab.resize(193, 22);
    lab.Font().SetName("Arial");
    lab.Font().SetHeight(13);
    lab.Font().SetColor(clBlack);
    lab.SetLeftText("Anpassungsgrad:  ");
    lab.SetLeftSpace(120);
    lab.SetLeftTextAlignment(taRightJustify);
    lab.SetLabelWidth(60);
    lab.SetDisplayType(dtFixP);
    lab.SetPrecision(4);
    lab.SetAlignment(taCenter);
    lab.SetColorLabBakG(clSilver);
    lab.SetColorOutBakG(clBtnFace);
    lab.SetFrameStyle(fsLowered);
    lab.SetValue(0.98765);
    EXPECT_TRUE(testsupport::MatchesGolden(lab.RenderImage(), Golden("numlab_quality.png")));
}

TEST(NumLabGoldens, RaisedLabelWithTextsOnBothSides)
{
    TNumLab lab;
    lab.resize(220, 30);
    lab.Font().SetName("Arial");
    lab.Font().SetHeight(15);
    lab.SetLeftText("U =");
    lab.SetRightText("V");
    lab.SetLeftSpace(40);
    lab.SetLabelWidth(130);
    lab.SetDisplayType(dtExp);
    lab.SetPrecision(3);
    lab.SetAlignment(taRightJustify);
    lab.SetForcePlusSign(true);
    lab.SetColorLabBakG(clWhite);
    lab.SetColorLabText(clNavy);
    lab.SetFrameStyle(fsRaised);
    lab.SetValue(-1234.5678);
    EXPECT_TRUE(testsupport::MatchesGolden(lab.RenderImage(), Golden("numlab_raised.png")));
}

}  // namespace
