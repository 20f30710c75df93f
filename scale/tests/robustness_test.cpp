// Hostile settings and values through the scale: tick plans, labels, day counts and the control
// itself. Every call must end, stay bounded and give numbers where it was given numbers.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <memory>
#include <string>

#include "common/numtext.h"
#include "scale/daycount.h"
#include "scale/scale.h"
#include "scale/tickplan.h"
#include "scale/ticklabels.h"
#include "testsupport/testsupport.h"

namespace {

const TFigType kLabelTypes[] = {ftNum, ftTime, ftDateTime, ftNoFigs, ftUserText};
const TScaleType kScaleTypes[] = {sctXB, sctXT, sctYL, sctYR};

bool NamesANonNumber(const std::string& s)
{
    return s.find("Nan") != std::string::npos || s.find("Inf") != std::string::npos ||
           s.find("nan") != std::string::npos || s.find("inf") != std::string::npos;
}

}  // namespace

TEST(ScaleRobustness, TickPlansOfHostileSettings)
{
    testsupport::THostile h(7);
    testsupport::TRounds rounds(3000, 4);
    TTickPlan plan;
    while (rounds.Next()) {
        TTickSettings s;
        s.RangeLow = h.Double();
        s.RangeHigh = h.Chance(0.3) ? s.RangeLow * (1 + 1e-9 * h.Between(-5, 5)) : h.Double();
        s.MinTicks = h.Chance(0.5) ? h.Between(0, 12) : h.Int();
        s.ShortTicks = h.Chance(0.5);
        s.Logarithmic = h.Chance(0.3);
        s.LabelType = kLabelTypes[h.Between(0, 4)];
        s.DecPlaces = h.Chance(0.5) ? h.Between(-3, 12) : h.Int();
        s.ScaleType = kScaleTypes[h.Between(0, 3)];
        SCOPED_TRACE(testing::Message() << s.RangeLow << " .. " << s.RangeHigh << " ticks " << s.MinTicks << " log "
                                        << s.Logarithmic << " type " << s.LabelType << " dec " << s.DecPlaces);
        PlanTicks(s, plan);
        ASSERT_LE(plan.Marks.size(), std::size_t(3 * kMaxTickCandidates));
        for (const TTickMark& m : plan.Marks) {
            ASSERT_TRUE(std::isfinite(m.Value));
            ASSERT_FALSE(NamesANonNumber(m.Label)) << m.Label;
        }
    }
}

TEST(ScaleRobustness, LabelsAndDayCountsOfHostileValues)
{
    testsupport::THostile h(8);
    testsupport::TRounds rounds(20000, 3);
    const TMonthNames& names = EnglishMonthNames();
    while (rounds.Next()) {
        const double v = h.Double();
        const int d = h.Int();
        const std::string number = FormatTickNumber(v, d);
        ASSERT_LE(number.size(), std::size_t(kMaxNumberTextWidth + kMaxNumberTextDecimals + 40));
        if (std::isfinite(v)) {
            ASSERT_FALSE(NamesANonNumber(number)) << v << " " << d;
        }
        const std::string time = FormatSecondsLabel(v, h.Chance(0.5));
        if (std::isfinite(v)) {
            ASSERT_FALSE(NamesANonNumber(time)) << v;
        }
        FormatDayCount(h.Chance(0.5) ? "yyyy\"-\"mm\"-\"dd hh:nn:ss.zz am/pm" : h.Text(), v, names);
        DecodeDayCount(v);
        EncodeDayCount(h.Int(), h.Int(), h.Int());
        AutoDecimals(v);
        AutoLogDecimals(v, h.Double());
        UserTickItem(h.Text(), h.Int());
        ApplyInscript(h.Text(), h.Text());
    }
}

// The control with every setter at hostile values, drawn through an external canvas and read
// through its transform.
TEST(ScaleRobustness, ControlWithHostileSettings)
{
    testsupport::THostile h(9);
    testsupport::TRounds rounds(400, 5);
    QImage image(200, 150, QImage::Format_RGB32);
    TCanvas canvas(&image);
    TScale s;
    s.resize(180, 120);
    s.SetCaption("caption");
    while (rounds.Next()) {
        switch (h.Between(0, 13)) {
        case 0: s.SetRangeLow(h.Double()); break;
        case 1: s.SetRangeHigh(h.Double()); break;
        case 2: s.SetLogarithmic(h.Chance(0.5)); break;
        case 3: s.SetMinTicks(h.Int()); break;
        case 4: s.SetDecPlaces(h.Int()); break;
        case 5: s.SetLabelType(kLabelTypes[h.Between(0, 4)]); break;
        case 6: s.SetScaleType(kScaleTypes[h.Between(0, 3)]); break;
        case 7:
            s.SetMarginLeft(h.Int());
            s.SetMarginRight(h.Int());
            s.SetMarginTop(h.Int());
            s.SetMarginBottom(h.Int());
            break;
        case 8:
            s.SetCaptionPosX(h.Int());
            s.SetCaptionPosY(h.Int());
            break;
        case 9: s.Font().SetHeight(h.Chance(0.7) ? h.Between(-30, 30) : h.Int()); break;
        case 10: s.SetBounds(h.Int(), h.Int(), h.Chance(0.7) ? h.Between(0, 400) : h.Int(), h.Chance(0.7) ? h.Between(0, 400) : h.Int()); break;
        case 11: s.SetUserTickText(h.Text()); s.SetScaleInscript(h.Text()); break;
        case 12: s.SetShortTicks(h.Chance(0.5)); break;
        case 13: if (h.Chance(0.2)) s.Loaded(); break;
        }
        s.SetExternalCanvas(&canvas, h.Chance(0.7) ? h.Between(-50, 50) : h.Int(), h.Chance(0.7) ? h.Between(-50, 50) : h.Int());
        s.RenderNow();
        ASSERT_LE(s.NumTicks(), kTickListSize);
        for (int i = 1; i <= s.NumTicks(); ++i) ASSERT_TRUE(std::isfinite(s.TickPosition(i)));
        ASSERT_TRUE(std::isfinite(s.PixelsPerUnit()));
        ASSERT_TRUE(std::isfinite(s.PixelOffset()));
        s.ValueToPixel(h.Double());
    }
}
