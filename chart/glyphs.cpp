// Mark glyphs. The general drawing issues the canvas calls of each glyph; the stamps replay it:
// each glyph kind is recorded once per pen mode as a pixel stamp of the drawing layer.
#include "chart/glyphs.h"

#include <array>
#include <memory>
#include <mutex>

#include "platform/colors.h"

namespace {

// 7 x 7 pictures of the bitmap kinds; the first byte is the top row, bit 6 the leftmost pixel.
struct MarkBitmap {
    std::uint8_t kind;
    std::array<std::uint8_t, 7> rows;
};
constexpr MarkBitmap kMarkBitmaps[] = {
    {1, {0x00, 0x00, 0x08, 0x1C, 0x08, 0x00, 0x00}},
    {2, {0x00, 0x08, 0x08, 0x3E, 0x08, 0x08, 0x00}},
    {3, {0x08, 0x08, 0x08, 0x7F, 0x08, 0x08, 0x08}},
    {4, {0x00, 0x00, 0x14, 0x08, 0x14, 0x00, 0x00}},
    {5, {0x00, 0x22, 0x14, 0x08, 0x14, 0x22, 0x00}},
    {6, {0x41, 0x22, 0x14, 0x08, 0x14, 0x22, 0x41}},
    {18, {0x55, 0x2A, 0x55, 0x2A, 0x55, 0x2A, 0x55}},
    {25, {0x63, 0x77, 0x3E, 0x1C, 0x3E, 0x77, 0x63}},
};

const MarkBitmap* BitmapOf(std::uint8_t kind)
{
    for (const MarkBitmap& b : kMarkBitmaps)
        if (b.kind == kind) return &b;
    return nullptr;
}

// Unicode code points of Windows-1252 codes 0x80..0x9F (0 where the code page leaves a gap).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

std::string Utf8Of(char32_t c)
{
    std::string s;
    if (c < 0x80) {
        s += char(c);
    } else if (c < 0x800) {
        s += char(0xC0 | (c >> 6));
        s += char(0x80 | (c & 0x3F));
    } else {
        s += char(0xE0 | (c >> 12));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    }
    return s;
}

// Helpers that issue one glyph's canvas calls.
struct GlyphPen {
    TCanvas& c;
    int x, y;
    void Line(int x1, int y1, int x2, int y2) const
    {
        c.MoveTo(x + x1, y + y1);
        c.LineTo(x + x2, y + y2);
    }
    void Path(std::initializer_list<TPoint> pts) const
    {
        auto it = pts.begin();
        c.MoveTo(x + it->X, y + it->Y);
        for (++it; it != pts.end(); ++it) c.LineTo(x + it->X, y + it->Y);
    }
    void Polygon(std::initializer_list<TPoint> pts) const
    {
        std::vector<TPoint> v;
        for (const TPoint& p : pts) v.push_back({x + p.X, y + p.Y});
        c.Polygon(v);
    }
    void Rect(int x1, int y1, int x2, int y2) const { c.Rectangle(x + x1, y + y1, x + x2, y + y2); }
    void Ellipse(int x1, int y1, int x2, int y2) const { c.Ellipse(x + x1, y + y1, x + x2, y + y2); }
    // Filled shapes: the brush takes the pen colour, so outline and inside have the mark colour.
    void Filled() const
    {
        c.Brush().SetColor(c.Pen().Color());
        c.Brush().SetStyle(bsSolid);
    }
    void Open() const { c.Brush().SetStyle(bsClear); }
    void EndOpen() const { c.Brush().SetStyle(bsSolid); }
};

// The glyph of kinds 0..51.
void DrawGlyph(TCanvas& canvas, std::uint8_t kind, int x, int y)
{
    const GlyphPen g{canvas, x, y};
    if (const MarkBitmap* bm = BitmapOf(kind)) {
        // Bitmap kinds stay one pixel wide whatever the pen; there is no printer form to draw.
        const TColor color = canvas.Pen().Color();
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 7; ++col)
                if (bm->rows[row] & (0x40 >> col)) canvas.SetPixel(x - 3 + col, y - 3 + row, color);
        return;
    }
    switch (kind) {
    case 0: canvas.SetPixel(x, y, canvas.Pen().Color()); break;
    case 7: g.Filled(); g.Rect(-1, -1, 2, 2); break;
    case 8: g.Filled(); g.Rect(-2, -2, 3, 3); break;
    case 9: g.Filled(); g.Rect(-3, -3, 4, 4); break;
    case 10: case 11: case 12: {
        const int d = kind - 9;
        g.Open();
        g.Path({{-d, -d}, {-d, d}, {d, d}, {d, -d}, {-d, -d}});
        g.EndOpen();
        break;
    }
    case 13:
    case 19:
        g.Open();
        g.Path({{-3, 0}, {0, 3}, {3, 0}, {0, -3}, {-3, 0}});
        g.EndOpen();
        if (kind == 13) canvas.SetPixel(x, y, canvas.Pen().Color());
        break;
    case 14: g.Filled(); g.Polygon({{-2, 0}, {0, 2}, {2, 0}, {0, -2}}); break;
    case 15: g.Filled(); g.Polygon({{-3, 0}, {0, 3}, {3, 0}, {0, -3}}); break;
    case 16: g.Open(); g.Ellipse(-2, -2, 3, 3); g.EndOpen(); break;
    case 17: g.Open(); g.Ellipse(-3, -3, 4, 4); g.EndOpen(); break;
    case 20: case 21: {
        const int d = kind - 17;
        g.Line(0, 0, -d, d);
        g.Line(0, 0, d, d);
        break;
    }
    case 22: case 23: {
        const int d = kind - 19;
        g.Line(0, 0, -d, -d);
        g.Line(0, 0, d, -d);
        break;
    }
    case 24: g.Filled(); g.Ellipse(-3, -3, 4, 4); break;
    case 26: g.Filled(); g.Ellipse(-2, -2, 3, 3); break;
    case 27: g.Open(); g.Ellipse(-2, -2, 2, 2); g.EndOpen(); break;
    case 28: g.Filled(); g.Ellipse(-2, -2, 2, 2); break;
    case 29: g.Filled(); g.Polygon({{-2, 0}, {0, 2}, {2, 0}}); break;
    case 30: g.Filled(); g.Polygon({{-3, 0}, {0, 3}, {3, 0}}); break;
    case 31: g.Open(); g.Polygon({{-2, 0}, {0, 2}, {2, 0}}); g.EndOpen(); break;
    case 32: g.Open(); g.Polygon({{-3, 0}, {0, 3}, {3, 0}}); g.EndOpen(); break;
    case 33: g.Open(); g.Polygon({{-4, -3}, {0, 4}, {4, -3}}); g.EndOpen(); break;
    case 34: g.Filled(); g.Polygon({{-4, -3}, {0, 4}, {4, -3}}); break;
    case 35: g.Open(); g.Polygon({{-4, 3}, {0, -4}, {4, 3}}); g.EndOpen(); break;
    case 36: g.Filled(); g.Polygon({{-4, 3}, {0, -4}, {4, 3}}); break;
    case 37:
        g.Line(-3, 0, 4, 0);
        g.Line(0, 0, 0, -8);
        break;
    case 38:
        g.Line(-3, -2, 4, -2);
        g.Line(-3, 2, 4, 2);
        g.Line(0, -2, 0, 2);
        break;
    case 39:
        g.Open(); g.Ellipse(-3, -3, 4, 4); g.EndOpen();
        g.Line(-3, 0, 4, 0);
        g.Line(0, -3, 0, 4);
        break;
    case 40: g.Open(); g.Polygon({{3, -2}, {-2, 0}, {3, 2}}); g.EndOpen(); break;
    case 41: g.Filled(); g.Polygon({{3, -2}, {-2, 0}, {3, 2}}); break;
    case 42: g.Open(); g.Polygon({{4, -3}, {-3, 0}, {4, 3}}); g.EndOpen(); break;
    case 43: g.Filled(); g.Polygon({{4, -3}, {-3, 0}, {4, 3}}); break;
    case 44: g.Open(); g.Polygon({{-3, -2}, {2, 0}, {-3, 2}}); g.EndOpen(); break;
    case 45: g.Filled(); g.Polygon({{-3, -2}, {2, 0}, {-3, 2}}); break;
    case 46: g.Open(); g.Polygon({{-4, -3}, {3, 0}, {-4, 3}}); g.EndOpen(); break;
    case 47: g.Filled(); g.Polygon({{-4, -3}, {3, 0}, {-4, 3}}); break;
    case 48:
        g.Open(); g.Rect(-3, -3, 4, 4); g.EndOpen();
        g.Line(-3, 0, 4, 0);
        g.Line(0, -3, 0, 4);
        break;
    case 49:
        g.Open(); g.Rect(-2, -2, 3, 3); g.EndOpen();
        g.Line(-4, 0, 5, 0);
        g.Line(0, -4, 0, 5);
        break;
    case 50:
        canvas.Brush().SetStyle(bsSolid);
        g.Line(-4, 0, 5, 0);
        g.Line(0, -4, 0, 5);
        g.Line(-3, -3, 4, 4);
        g.Line(-3, 3, 4, -4);
        break;
    case 51:
        canvas.Brush().SetStyle(bsSolid);
        g.Line(-4, 0, 5, 0);
        g.Line(0, -4, 0, 5);
        g.Line(-1, -3, 2, -3);
        g.Line(-1, 3, 2, 3);
        g.Line(-3, -1, -3, 2);
        g.Line(3, -1, 3, 2);
        break;
    default: break;
    }
}

}  // namespace

std::string MarkCharacter(std::uint8_t markKind)
{
    if (markKind >= 200 && markKind <= 209) return std::string(1, char('0' + (markKind - 200)));
    if (markKind < 0x80) return std::string(1, char(markKind));
    if (markKind < 0xA0) {
        const char16_t c = kCp1252High[markKind - 0x80];
        return c ? Utf8Of(c) : std::string(" ");  // codes the page leaves empty show a blank
    }
    return Utf8Of(markKind);  // 0xA0..0xFF are Latin-1
}

void DrawMarkGlyph(TCanvas& canvas, std::uint8_t markKind, int x, int y)
{
    if (markKind >= 52) {
        const std::string text = MarkCharacter(markKind);
        const int w = canvas.TextWidth(text), h = canvas.TextHeight(text);
        canvas.TextOut(x - w / 2, y - h / 2, text);
        return;
    }
    const TColor brushColor = canvas.Brush().Color();
    DrawGlyph(canvas, markKind, x, y);
    canvas.Brush().SetColor(brushColor);
}

// ---- stamps ----

const TPixelStamp* TGlyphStamp::For(std::uint8_t markKind, TPenMode mode)
{
    constexpr int kModes = 2;
    static std::array<const TPixelStamp*, 52 * kModes> table{};
    static std::array<bool, 52 * kModes> made{};
    static std::mutex lock;
    if (markKind >= 52 || (mode != pmCopy && mode != pmXor)) return nullptr;
    const int slot = markKind * kModes + (mode == pmXor ? 1 : 0);
    std::lock_guard<std::mutex> guard(lock);
    if (!made[slot]) {
        table[slot] = TPixelStamp::Record(mode, [markKind](TCanvas& canvas, int x, int y) {
                          DrawMarkGlyph(canvas, markKind, x, y);
                      }).release();
        made[slot] = true;
    }
    return table[slot];
}
