// Hostile values and settings through the numeric display label: every display type either
// shows a text of numbers or its overflow indicator, and the label draws whatever its settings.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "numlab/numlab.h"
#include "numlab/numlabtext.h"
#include "platform/canvas.h"
#include "testsupport/testsupport.h"

namespace {

const TDisplay kTypes[] = {dtFloat, dtFixP, dtExp, dtHex, dtZeroInt, dtInt, dtDateTime, dtState,
                           dtBin, dtOct, dtDeg, dtDegMin, dtDegMinSec, dtEEng, dtEEngNoDP};

bool NamesANonNumber(const std::string& s)
{
    return s.find("Nan") != std::string::npos || s.find("Inf") != std::string::npos ||
           s.find("nan") != std::string::npos || s.find("inf") != std::string::npos;
}

}  // namespace

TEST(NumLabRobustness, EveryTypeShowsNumbersOrTheOverflowIndicator)
{
    testsupport::THostile h(10);
    testsupport::TRounds rounds(20000, 4);
    while (rounds.Next()) {
        TNumberTextParams params;
        params.DisplayType = kTypes[h.Between(0, 14)];
        params.Precision = h.Chance(0.7) ? h.Between(0, 15) : h.Int();
        const double v = h.Double();
        SCOPED_TRACE(testing::Message() << v << " type " << params.DisplayType << " precision " << params.Precision);
        std::string text;
        const bool shown = NumberTextOf(v, params, text);
        if (shown && std::isfinite(v) && params.DisplayType != dtState) {
            ASSERT_FALSE(NamesANonNumber(text)) << text;
        }
        ASSERT_LE(text.size(), 400u);
    }
}

TEST(NumLabRobustness, LabelWithHostileSettingsDraws)
{
    testsupport::THostile h(11);
    testsupport::TRounds rounds(300, 4);
    TNumLab lab;
    TBitmap target(200, 60);
    while (rounds.Next()) {
        switch (h.Between(0, 9)) {
        case 0: lab.SetValue(h.Double()); break;
        case 1: lab.SetDisplayType(kTypes[h.Between(0, 14)]); break;
        case 2: lab.SetPrecision(h.Int()); break;
        case 3: lab.SetLeftSpace(h.Int()); break;
        case 4: lab.SetLabelWidth(h.Int()); break;
        case 5: lab.Font().SetHeight(h.Chance(0.7) ? h.Between(-30, 30) : h.Int()); break;
        case 6:
            lab.SetLeftText(h.Text());
            lab.SetRightText(h.Text());
            lab.SetDTFormat(h.Text());
            break;
        case 7: lab.SetTransparent(h.Chance(0.5)); break;
        case 8: lab.resize(h.Between(0, 300), h.Between(0, 80)); break;
        case 9: lab.SetComma(h.Chance(0.5)); lab.SetForcePlusSign(h.Chance(0.5)); break;
        }
        const std::string shown = lab.DisplayedText();
        if (std::isfinite(lab.Value()) && lab.DisplayType() != dtState && shown != lab.OverflowIndicator()) {
            ASSERT_FALSE(NamesANonNumber(shown)) << shown;
        }
        lab.RenderImage();
        lab.PaintTo(target.Canvas(), h.Chance(0.7) ? h.Between(-100, 100) : h.Int(), h.Chance(0.7) ? h.Between(-50, 50) : h.Int());
    }
}
