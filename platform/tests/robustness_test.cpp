// Hostile arguments through the platform layer: canvas operations with coordinates, sizes, pen
// widths and clip rectangles anywhere in int, fonts of any height, colours of any value, date
// texts of any day count and number parsing of any text. Every call must end without a
// sanitizer report and stay inside the image.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/canvas.h"
#include "platform/colors.h"
#include "platform/datetime.h"
#include "platform/font.h"
#include "platform/localefmt.h"
#include "testsupport/testsupport.h"

TEST(PlatformRobustness, CanvasOperationsWithHostileArguments)
{
    testsupport::THostile h(4);
    testsupport::TRounds rounds(3000, 4);
    TBitmap bmp(64, 48);
    TBitmap src(5, 4);
    src.Image().fill(qRgb(10, 200, 30));
    TCanvas& c = bmp.Canvas();
    // coordinates mostly near the image, often at the ends of int
    auto coord = [&] { return h.Chance(0.5) ? h.Between(-80, 140) : h.Int(); };
    const TPenStyle styles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame};
    const TPenMode modes[] = {pmCopy, pmXor, pmNotXor};
    while (rounds.Next()) {
        c.Pen().SetStyle(styles[h.Between(0, 6)]);
        c.Pen().SetMode(modes[h.Between(0, 2)]);
        c.Pen().SetWidth(h.Chance(0.7) ? h.Between(1, 4) : h.Int());
        c.Pen().SetColor(TColor(h.Int()));
        c.Brush().SetColor(TColor(h.Int()));
        c.Brush().SetStyle(h.Chance(0.5) ? bsSolid : bsClear);
        c.SetCopyMode(h.Chance(0.5) ? cmSrcCopy : cmSrcAnd);
        if (h.Chance(0.1)) c.SetClipRect({coord(), coord(), coord(), coord()});
        if (h.Chance(0.1)) c.ClearClipRect();
        switch (h.Between(0, 12)) {
        case 0: c.MoveTo(coord(), coord()); break;
        case 1: c.LineTo(coord(), coord()); break;
        case 2: c.Rectangle(coord(), coord(), coord(), coord()); break;
        case 3: c.Ellipse(coord(), coord(), coord(), coord()); break;
        case 4: c.FillRect({coord(), coord(), coord(), coord()}); break;
        case 5: c.FrameRect({coord(), coord(), coord(), coord()}); break;
        case 6: {
            std::vector<TPoint> points(std::size_t(h.Between(0, 6)));
            for (TPoint& p : points) p = {coord(), coord()};
            if (h.Chance(0.5)) c.Polygon(points);
            else c.Polyline(points);
            break;
        }
        case 7: c.SetPixel(coord(), coord(), TColor(h.Int())); break;
        case 8: c.Pixel(coord(), coord()); break;
        case 9: c.Draw(coord(), coord(), src); break;
        case 10: c.StretchDraw({coord(), coord(), coord(), coord()}, src); break;
        case 11:
            c.Font().SetHeight(h.Chance(0.7) ? h.Between(-30, 30) : h.Int());
            c.TextOut(coord(), coord(), h.Text());
            break;
        case 12: c.TextRect({coord(), coord(), coord(), coord()}, coord(), coord(), h.Text()); break;
        }
        ASSERT_EQ(bmp.Width(), 64);
        ASSERT_EQ(bmp.Image().format(), QImage::Format_RGB32);
    }
}

TEST(PlatformRobustness, FontsAndColoursOfAnyValue)
{
    testsupport::THostile h(5);
    testsupport::TRounds rounds(300, 3);
    TBitmap bmp(10, 10);
    while (rounds.Next()) {
        TFont& f = bmp.Canvas().Font();
        f.SetHeight(h.Int());
        if (h.Chance(0.5)) f.SetPixelsPerInch(h.Int());
        if (h.Chance(0.5)) f.SetSize(h.Int());
        ASSERT_LE(f.PixelHeight(), kMaxFontHeight);
        ASSERT_GE(f.PixelHeight(), 1);
        f.Size();
        ASSERT_GE(bmp.Canvas().TextWidth("Wg"), 0);
        ASSERT_GE(bmp.Canvas().TextHeight("Wg"), 0);
        const TColor color = TColor(h.Int());
        ToQRgb(color);
        ColorToRGB(color);
        ToQColor(color);
    }
}

TEST(PlatformRobustness, DateTextsAndNumberParsingOfAnyInput)
{
    testsupport::THostile h(6);
    testsupport::TRounds rounds(5000, 4);
    const char* const patterns[] = {"yyyy-mm-dd hh:nn:ss.zzz", "dddd d mmmm yy", "h:nn am/pm", "a/p zz", "", "\"x\"'y'"};
    while (rounds.Next()) {
        const double v = h.Double();
        const std::string text = FormatDateTime(h.Chance(0.7) ? patterns[h.Between(0, 5)] : h.Text(), v);
        ASSERT_LE(text.size(), 4000u);
        int year, month, day, hour, minute, second, msec;
        DecodeDate(v, year, month, day);
        DecodeTime(v, hour, minute, second, msec);
        DecodeDateTime(v, year, month, day, hour, minute, second, msec);
        DayOfWeek(v);
        DayCountOfDate(h.Int(), h.Int(), h.Int());
        DaysInMonth(h.Int(), h.Int());
        IsLeapYear(h.Int());
        double encoded = 0;
        TryEncodeDate(h.Int(), h.Int(), h.Int(), encoded);
        TryEncodeTime(h.Int(), h.Int(), h.Int(), h.Int(), encoded);
        ShortMonthName(h.Int());
        LongMonthName(h.Int());
        double parsed = 0;
        if (TryStrToFloat(h.Text(), parsed)) {
            ASSERT_FALSE(std::isnan(parsed));
        }
    }
}
