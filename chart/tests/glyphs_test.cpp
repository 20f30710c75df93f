#include <gtest/gtest.h>
#include <QImage>
#include <string>
#include <vector>

#include "chart/glyphs.h"
#include "chart/tests/chartprobe.h"
#include "platform/colors.h"
#include "testsupport/testsupport.h"

using testsupport::PixelRgb;

namespace {

// One glyph kind and its picture: '#' pixels in the pen colour, '.' unchanged; the top-left
// character lies at (centre + Left, centre + Top). Everything outside the picture stays unchanged.
struct GlyphCase {
    const char* name;
    int kind;
    int left, top;
    std::vector<std::string> rows;
};

const GlyphCase kGlyphs[] = {
    {"Pixel", 0, 0, 0, {"#"}},
    {"Plus1", 1, -1, -1, {".#.", "###", ".#."}},
    {"Plus2", 2, -2, -2, {"..#..", "..#..", "#####", "..#..", "..#.."}},
    {"Plus3", 3, -3, -3, {"...#...", "...#...", "...#...", "#######", "...#...", "...#...", "...#..."}},
    {"Cross1", 4, -1, -1, {"#.#", ".#.", "#.#"}},
    {"Cross2", 5, -2, -2, {"#...#", ".#.#.", "..#..", ".#.#.", "#...#"}},
    {"Cross3", 6, -3, -3, {"#.....#", ".#...#.", "..#.#..", "...#...", "..#.#..", ".#...#.", "#.....#"}},
    {"Square3", 7, -1, -1, {"###", "###", "###"}},
    {"Square5", 8, -2, -2, {"#####", "#####", "#####", "#####", "#####"}},
    {"Square7", 9, -3, -3, {"#######", "#######", "#######", "#######", "#######", "#######", "#######"}},
    {"OpenSquare3", 10, -1, -1, {"###", "#.#", "###"}},
    {"OpenSquare5", 11, -2, -2, {"#####", "#...#", "#...#", "#...#", "#####"}},
    {"OpenSquare7", 12, -3, -3, {"#######", "#.....#", "#.....#", "#.....#", "#.....#", "#.....#", "#######"}},
    {"OpenDiamondDot", 13, -3, -3, {"...#...", "..#.#..", ".#...#.", "#..#..#", ".#...#.", "..#.#..", "...#..."}},
    {"Diamond5", 14, -2, -2, {"..#..", ".###.", "#####", ".###.", "..#.."}},
    {"Diamond7", 15, -3, -3, {"...#...", "..###..", ".#####.", "#######", ".#####.", "..###..", "...#..."}},
    {"Circle5", 16, -2, -2, {".###.", "#...#", "#...#", "#...#", ".###."}},
    {"Circle7", 17, -3, -3, {"..###..", ".#...#.", "#.....#", "#.....#", "#.....#", ".#...#.", "..###.."}},
    {"Checkerboard", 18, -3, -3, {"#.#.#.#", ".#.#.#.", "#.#.#.#", ".#.#.#.", "#.#.#.#", ".#.#.#.", "#.#.#.#"}},
    {"OpenDiamond", 19, -3, -3, {"...#...", "..#.#..", ".#...#.", "#.....#", ".#...#.", "..#.#..", "...#..."}},
    {"Caret3", 20, -2, 0, {"..#..", ".#.#.", "#...#"}},
    {"Caret4", 21, -3, 0, {"...#...", "..#.#..", ".#...#.", "#.....#"}},
    {"InvCaret3", 22, -2, -2, {"#...#", ".#.#.", "..#.."}},
    {"InvCaret4", 23, -3, -3, {"#.....#", ".#...#.", "..#.#..", "...#..."}},
    {"Disc7", 24, -3, -3, {"..###..", ".#####.", "#######", "#######", "#######", ".#####.", "..###.."}},
    {"ThickCross", 25, -3, -3, {"##...##", "###.###", ".#####.", "..###..", ".#####.", "###.###", "##...##"}},
    {"Disc5", 26, -2, -2, {".###.", "#####", "#####", "#####", ".###."}},
    {"Circle4", 27, -2, -2, {".##.", "#..#", "#..#", ".##."}},
    {"Disc4", 28, -2, -2, {".##.", "####", "####", ".##."}},
    {"TriDown5", 29, -2, 0, {"#####", ".###.", "..#.."}},
    {"TriDown7", 30, -3, 0, {"#######", ".#####.", "..###..", "...#..."}},
    {"OpenTriDown5", 31, -2, 0, {"#####", ".#.#.", "..#.."}},
    {"OpenTriDown7", 32, -3, 0, {"#######", ".#...#.", "..#.#..", "...#..."}},
    {"OpenTriDown9", 33, -4, -3, {"#########", ".#.....#.", ".#.....#.", "..#...#..", "..#...#..", "...#.#...", "...#.#...", "....#...."}},
    {"TriDown9", 34, -4, -3, {"#########", ".#######.", ".#######.", "..#####..", "..#####..", "...###...", "...###...", "....#...."}},
    {"OpenTriUp9", 35, -4, -4, {"....#....", "...#.#...", "...#.#...", "..#...#..", "..#...#..", ".#.....#.", ".#.....#.", "#########"}},
    {"TriUp9", 36, -4, -4, {"....#....", "...###...", "...###...", "..#####..", "..#####..", ".#######.", ".#######.", "#########"}},
    {"Tee", 37, -3, -7, {"...#...", "...#...", "...#...", "...#...", "...#...", "...#...", "...#...", "#######"}},
    {"IBeam", 38, -3, -2, {"#######", "...#...", "...#...", "...#...", "#######"}},
    {"CircleCross", 39, -3, -3, {"..###..", ".#.#.#.", "#..#..#", "#######", "#..#..#", ".#.#.#.", "..###.."}},
    {"OpenLeft5", 40, -2, -2, {"....##", "..##.#", "##...#", "..##.#", "....##"}},
    {"Left5", 41, -2, -2, {"....##", "..####", "######", "..####", "....##"}},
    {"OpenLeft7", 42, -3, -3, {"......##", "....##.#", "..##...#", "##.....#", "..##...#", "....##.#", "......##"}},
    {"Left7", 43, -3, -3, {"......##", "....####", "..######", "########", "..######", "....####", "......##"}},
    {"OpenRight5", 44, -3, -2, {"##....", "#.##..", "#...##", "#.##..", "##...."}},
    {"Right5", 45, -3, -2, {"##....", "####..", "######", "####..", "##...."}},
    {"OpenRight7", 46, -4, -3, {"##......", "#.##....", "#...##..", "#.....##", "#...##..", "#.##....", "##......"}},
    {"Right7", 47, -4, -3, {"##......", "####....", "######..", "########", "######..", "####....", "##......"}},
    {"SquareCross", 48, -3, -3, {"#######", "#..#..#", "#..#..#", "#######", "#..#..#", "#..#..#", "#######"}},
    {"SquarePlus", 49, -4, -4, {"....#....", "....#....", "..#####..", "..#.#.#..", "#########", "..#.#.#..", "..#####..", "....#....", "....#...."}},
    {"Star", 50, -4, -4, {"....#....", ".#..#..#.", "..#.#.#..", "...###...", "#########", "...###...", "..#.#.#..", ".#..#..#.", "....#...."}},
    {"Snowflake", 51, -4, -4, {"....#....", "...###...", "....#....", ".#..#..#.", "#########", ".#..#..#.", "....#....", "...###...", "....#...."}},
};

constexpr int kSize = 24, kCentre = 12;
constexpr std::uint32_t kWhite = 0xFFFFFF, kRed = 0xFF0000;

QImage White() { QImage img(kSize, kSize, QImage::Format_RGB32); img.fill(0xFFFFFFFFu); return img; }

class GlyphPicture : public ::testing::TestWithParam<GlyphCase> {};

TEST_P(GlyphPicture, MatchesItsDefinitionAndRestoresTheBrushColour)
{
    const GlyphCase& g = GetParam();
    QImage img = White();
    TCanvas canvas(&img);
    canvas.Pen().SetColor(clRed);
    canvas.Brush().SetColor(clBlue);
    DrawMarkGlyph(canvas, std::uint8_t(g.kind), kCentre, kCentre);
    EXPECT_EQ(canvas.Brush().Color(), clBlue);
    int painted = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const int col = x - kCentre - g.left, row = y - kCentre - g.top;
            const bool inside = row >= 0 && row < int(g.rows.size()) && col >= 0 && col < int(g.rows[row].size());
            const bool set = inside && g.rows[row][col] == '#';
            painted += set;
            EXPECT_EQ(PixelRgb(img, x, y), set ? kRed : kWhite) << "at dx " << x - kCentre << ", dy " << y - kCentre;
        }
    EXPECT_GT(painted, 0);
}

INSTANTIATE_TEST_SUITE_P(Glyphs, GlyphPicture, ::testing::ValuesIn(kGlyphs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Glyphs, TheTableHoldsEveryGlyphKindOnce)
{
    for (int k = 0; k < 52; ++k) {
        SCOPED_TRACE(k);
        int found = 0;
        for (const GlyphCase& g : kGlyphs) found += g.kind == k;
        EXPECT_EQ(found, 1);
    }
}

TEST(Glyphs, BitmapKindsStayOnePixelWideWhileOutlinesThicken)
{
    QImage thin = White(), thick = White();
    TCanvas a(&thin), b(&thick);
    a.Pen().SetColor(clRed);
    b.Pen().SetColor(clRed);
    b.Pen().SetWidth(3);
    DrawMarkGlyph(a, 3, kCentre, kCentre);
    DrawMarkGlyph(b, 3, kCentre, kCentre);
    EXPECT_EQ(thin, thick);
    EXPECT_EQ(testsupport::CountPixels(thick, kRed, 0, 0, kSize, kSize), 13);
    QImage ring1 = White(), ring3 = White();
    TCanvas c(&ring1), d(&ring3);
    c.Pen().SetColor(clRed);
    d.Pen().SetColor(clRed);
    d.Pen().SetWidth(3);
    DrawMarkGlyph(c, 17, kCentre, kCentre);
    DrawMarkGlyph(d, 17, kCentre, kCentre);
    EXPECT_GT(testsupport::CountPixels(ring3, kRed, 0, 0, kSize, kSize),
              testsupport::CountPixels(ring1, kRed, 0, 0, kSize, kSize));
}

// A character mark is its one character, centred on the point in the canvas's font and colour.
TEST(Glyphs, CharacterMarksShowTheirCharacterCentred)
{
    struct Case { int kind; const char* text; };
    for (const Case& c : {Case{65, "A"}, Case{203, "3"}, Case{52, "4"}, Case{200, "0"}}) {
        SCOPED_TRACE(c.kind);
        EXPECT_EQ(MarkCharacter(std::uint8_t(c.kind)), c.text);
        QImage mark(40, 40, QImage::Format_RGB32), text(40, 40, QImage::Format_RGB32);
        mark.fill(0xFFFFFFFFu);
        text.fill(0xFFFFFFFFu);
        TCanvas m(&mark), t(&text);
        for (TCanvas* cv : {&m, &t}) {
            cv->Font().SetHeight(16);
            cv->Font().SetColor(clNavy);
            cv->Brush().SetStyle(bsClear);
        }
        DrawMarkGlyph(m, std::uint8_t(c.kind), 20, 20);
        const int w = t.TextWidth(c.text), h = t.TextHeight(c.text);
        t.TextOut(20 - w / 2, 20 - h / 2, c.text);
        EXPECT_EQ(mark, text);
        EXPECT_GT(testsupport::CountPixels(mark, 0x000080, 0, 0, 40, 40), 10);
    }
    EXPECT_EQ(MarkCharacter(128), "\u20AC");
    EXPECT_EQ(MarkCharacter(233), "\u00E9");
}

// ---- the stamps against the general drawing ----

// A background whose pixels all differ, so an exclusive-or or a stray pixel shows.
QImage Noise(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, 0xFF000000u | ((x * 73 + y * 151) * 2654435761u >> 8));
    return img;
}

struct Placement { const char* name; int x, y; bool clip; };
constexpr int kW = 20, kH = 16;
const Placement kPlacements[] = {
    {"inside", 10, 8, false},  {"left", 1, 8, false},     {"right", kW - 2, 8, false},
    {"top", 10, 0, false},     {"bottom", 10, kH - 1, false}, {"corner", 0, kH, false},
    {"outside", -6, -6, false}, {"clipLeft", 6, 8, true}, {"clipRight", 13, 8, true},
    {"clipTop", 10, 5, true},  {"clipBottom", 10, 11, true},
};

TEST(GlyphStamps, EveryGlyphKindHasAStampInCopyAndXorMode)
{
    for (int k = 0; k < 52; ++k) {
        SCOPED_TRACE(k);
        EXPECT_NE(TGlyphStamp::For(std::uint8_t(k), pmCopy), nullptr);
        EXPECT_NE(TGlyphStamp::For(std::uint8_t(k), pmXor), nullptr);
    }
    EXPECT_EQ(TGlyphStamp::For(65, pmCopy), nullptr);
    EXPECT_EQ(TGlyphStamp::For(26, pmNotXor), nullptr);
}

TEST(GlyphStamps, StampEqualsTheGeneralDrawingInEveryKindPlacementAndMode)
{
    for (int k = 0; k < 52; ++k)
        for (TPenMode mode : {pmCopy, pmXor})
            for (const Placement& p : kPlacements) {
                SCOPED_TRACE(testing::Message() << "kind " << k << " mode " << mode << " " << p.name);
                QImage general = Noise(kW, kH), fast = Noise(kW, kH);
                TCanvas g(&general), f(&fast);
                for (TCanvas* c : {&g, &f}) {
                    c->Pen().SetColor(clTeal);
                    c->Pen().SetMode(mode);
                    c->Brush().SetColor(clYellow);
                    c->Brush().SetStyle(bsClear);
                    c->SetPenPos({3, 4});
                    if (p.clip) c->SetClipRect({6, 5, 14, 12});
                }
                DrawMarkGlyph(g, std::uint8_t(k), p.x, p.y);
                DrawMarkGlyphFast(f, std::uint8_t(k), p.x, p.y);
                EXPECT_EQ(fast, general);
                EXPECT_EQ(f.PenPos(), g.PenPos());
                EXPECT_EQ(f.Brush().Style(), g.Brush().Style());
                EXPECT_EQ(f.Brush().Color(), g.Brush().Color());
            }
}

// A run that skips the centres it has stamped leaves the pixels and the pen of a run that stamps
// every centre, for every glyph, in copy and exclusive-or mode, near the edges and clipped too.
TEST(GlyphStamps, ARunSkippingRepeatedCentresDrawsTheSame)
{
    std::vector<TPoint> centres;
    std::uint32_t r = 9;
    for (int i = 0; i < 600; ++i) {
        r = r * 1664525u + 1013904223u;
        centres.push_back({int(r % (kW + 6)) - 3, int((r >> 10) % (kH + 6)) - 3});
        if (i % 3 == 0) centres.push_back(centres[std::size_t(i / 2)]);
    }
    for (int k = 0; k < 52; ++k)
        for (TPenMode mode : {pmCopy, pmXor})
            for (bool clip : {false, true}) {
                SCOPED_TRACE(testing::Message() << "kind " << k << " mode " << mode << " clip " << clip);
                const TPixelStamp* stamp = TGlyphStamp::For(std::uint8_t(k), mode);
                ASSERT_NE(stamp, nullptr);
                QImage every = Noise(kW, kH), skipping = Noise(kW, kH), collecting = Noise(kW, kH);
                TCanvas e(&every), s(&skipping), c(&collecting);
                for (TCanvas* canvas : {&e, &s, &c}) {
                    canvas->Pen().SetColor(clTeal);
                    canvas->Pen().SetMode(mode);
                    if (clip) canvas->SetClipRect({6, 5, 14, 12});
                }
                for (auto [canvas, repeats] : {std::pair{&e, rpEvery}, std::pair{&s, rpSkip}, std::pair{&c, rpCollect}}) {
                    TPixelStamp::TStampRun run(*stamp, *canvas, repeats);
                    for (TPoint p : centres) run.Put(p);
                    run.Finish();
                }
                EXPECT_EQ(skipping, every);
                EXPECT_EQ(collecting, every);
                EXPECT_EQ(s.PenPos(), e.PenPos());
                EXPECT_EQ(c.PenPos(), e.PenPos());
            }
}

TEST(GlyphStamps, WidePensAndStyledPensTakeTheGeneralDrawing)
{
    for (TPenStyle style : {psSolid, psDot}) {
        QImage general = Noise(kW, kH), fast = Noise(kW, kH);
        TCanvas g(&general), f(&fast);
        for (TCanvas* c : {&g, &f}) {
            c->Pen().SetColor(clTeal);
            c->Pen().SetStyle(style);
            c->Pen().SetWidth(style == psSolid ? 2 : 1);
        }
        DrawMarkGlyph(g, 17, 10, 8);
        DrawMarkGlyphFast(f, 17, 10, 8);
        EXPECT_EQ(fast, general);
    }
}

}  // namespace
