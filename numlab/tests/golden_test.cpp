// Golden pictures of the numeric display label: the main window's fit-quality label and a
// framed label with texts on both sides. UPDATE_GOLDENS=1 rewrites the PNGs.
#include <gtest/gtest.h>

#include <string>

#include "mainwindowlabel.h"
#include "numlab/numlab.h"
#include "testsupport/testsupport.h"

namespace {

std::string Golden(const std::string& name) { return std::string(KALMIRA_GOLDEN_DIR) + "/" + name; }

TEST(NumLabGoldens, FitQualityLabel)
{
    TNumLab lab;
    ConfigureAsMainWindowLabel(lab);
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
