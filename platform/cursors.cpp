// The screen cursor, the cursor registry and the chart's four cursor pictures.
//
// The hand is drawn as pixel art: 'X' black outline, '.' white inside, ' ' transparent. The three
// zoom cursors are black strokes (lines, a frame, filled arrow heads) with a one-pixel white rim
// around every black pixel, so they stay visible on dark and light backgrounds alike.
#include "platform/cursors.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QGuiApplication>
#include <array>
#include <cstdlib>
#include <map>

namespace {

constexpr int kCursorSize = 32;

std::map<TCursor, QCursor>& Registry()
{
    static std::map<TCursor, QCursor> registry;
    return registry;
}

TCursor g_screenCursor = crDefault;
bool g_cleanupInstalled = false;

// Cursor pixmaps must go before the application object they belong to.
void ReleaseCursors()
{
    Registry().clear();
    g_screenCursor = crDefault;
    g_cleanupInstalled = false;
}

void InstallCleanup()
{
    if (g_cleanupInstalled || !QCoreApplication::instance()) return;
    qAddPostRoutine(ReleaseCursors);
    g_cleanupInstalled = true;
}

Qt::CursorShape ToolkitShape(TCursor number)
{
    switch (number) {
    case crCross: return Qt::CrossCursor;
    default: return Qt::ArrowCursor;
    }
}

// --- drawing the pictures -------------------------------------------------------------------

constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kClear = 0x00000000;

// Hot spot (12, 3): the top of the middle finger.
constexpr std::array<const char*, kCursorSize> kHandArt = {
    "                                ",
    "                                ",
    "                                ",
    "           XXX                  ",
    "          X...X                 ",
    "          X...XXXX              ",
    "       XXXX...X...X             ",
    "      X...X...X...X             ",
    "      X...X...X...XXXX          ",
    "      X...X...X...X...X         ",
    "      X...X...X...X...X         ",
    "      X...X...X...X...X         ",
    "  XX  X...X...X...X...X         ",
    " X..X X...X...X...X...X         ",
    " X...XX...X...X...X...X         ",
    " X....................X         ",
    "  X...................X         ",
    "  X...................X         ",
    "   X..................X         ",
    "   X..................X         ",
    "    X.................X         ",
    "    X.................X         ",
    "     X................X         ",
    "     X...............X          ",
    "      X..............X          ",
    "      X.............X           ",
    "       X............X           ",
    "       X............X           ",
    "       XXXXXXXXXXXXXX           ",
    "                                ",
    "                                ",
    "                                ",
};

QImage BlankPicture()
{
    QImage image(kCursorSize, kCursorSize, QImage::Format_ARGB32);
    image.fill(kClear);
    return image;
}

QImage FromArt(const std::array<const char*, kCursorSize>& art)
{
    QImage image = BlankPicture();
    for (int y = 0; y < kCursorSize; ++y)
        for (int x = 0; x < kCursorSize && art[y][x] != '\0'; ++x) {
            if (art[y][x] == 'X') image.setPixel(x, y, kBlack);
            if (art[y][x] == '.') image.setPixel(x, y, kWhite);
        }
    return image;
}

// Black strokes drawn one pixel at a time; Finish() adds the white rim.
class Strokes {
public:
    Strokes() : m_image(BlankPicture()) {}
    void Dot(int x, int y)
    {
        if (x >= 0 && y >= 0 && x < kCursorSize && y < kCursorSize) m_image.setPixel(x, y, kBlack);
    }
    // Both ends included.
    void Line(int x1, int y1, int x2, int y2)
    {
        const int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
        const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
        int err = dx + dy;
        for (;;) {
            Dot(x1, y1);
            if (x1 == x2 && y1 == y2) break;
            const int e2 = 2 * err;
            if (e2 >= dy) { err += dy; x1 += sx; }
            if (e2 <= dx) { err += dx; y1 += sy; }
        }
    }
    void Frame(int left, int top, int right, int bottom)
    {
        Line(left, top, right, top);
        Line(right, top, right, bottom);
        Line(right, bottom, left, bottom);
        Line(left, bottom, left, top);
    }
    void Cross(int cx, int cy, int arm)
    {
        Line(cx - arm, cy, cx + arm, cy);
        Line(cx, cy - arm, cx, cy + arm);
    }
    // A filled arrow head with its tip at (tipX, tipY), pointing along (dirX, dirY), one of the
    // four axis directions; it widens by one pixel on each side per row.
    void ArrowHead(int tipX, int tipY, int dirX, int dirY, int length)
    {
        for (int i = 0; i < length; ++i) {
            const int bx = tipX - dirX * i, by = tipY - dirY * i;
            Line(bx - dirY * i, by - dirX * i, bx + dirY * i, by + dirX * i);
        }
    }
    QImage Finish() const
    {
        QImage out = m_image;
        for (int y = 0; y < kCursorSize; ++y)
            for (int x = 0; x < kCursorSize; ++x) {
                if (m_image.pixel(x, y) == kBlack) continue;
                bool nearBlack = false;
                for (int ny = y - 1; ny <= y + 1 && !nearBlack; ++ny)
                    for (int nx = x - 1; nx <= x + 1; ++nx)
                        if (nx >= 0 && ny >= 0 && nx < kCursorSize && ny < kCursorSize &&
                            m_image.pixel(nx, ny) == kBlack) {
                            nearBlack = true;
                            break;
                        }
                if (nearBlack) out.setPixel(x, y, kWhite);
            }
        return out;
    }

private:
    QImage m_image;
};

// A cross centred on the hot spot, the top left corner of a window frame just below and right
// of it, and the frame's diagonal: the gesture of dragging a zoom window open.
void ZoomWindow(Strokes& s, int hotX, int hotY)
{
    const int left = hotX + 3, top = hotY + 3, right = 28, bottom = 27;
    s.Cross(hotX, hotY, 4);
    s.Frame(left, top, right, bottom);
    s.Line(left, top, right, bottom);
}

QImage ZoomWindowPicture()
{
    Strokes s;
    ZoomWindow(s, 7, 9);
    return s.Finish();
}

// The zoom window with short L marks inside the frame's four corners.
QImage ZoomWindowPosPicture()
{
    Strokes s;
    ZoomWindow(s, 7, 8);
    const int left = 10 + 2, top = 11 + 2, right = 28 - 2, bottom = 27 - 2;
    constexpr int kMark = 3;
    s.Line(left, top, left + kMark - 1, top);
    s.Line(left, top, left, top + kMark - 1);
    s.Line(right, top, right - kMark + 1, top);
    s.Line(right, top, right, top + kMark - 1);
    s.Line(left, bottom, left + kMark - 1, bottom);
    s.Line(left, bottom, left, bottom - kMark + 1);
    s.Line(right, bottom, right - kMark + 1, bottom);
    s.Line(right, bottom, right, bottom - kMark + 1);
    return s.Finish();
}

// Four arrow heads pointing outwards from a small square around the hot spot (15, 15).
QImage ZoomDragPicture()
{
    Strokes s;
    constexpr int c = 15, kHead = 5, kReach = 13;
    for (int y = c - 2; y <= c + 2; ++y) s.Line(c - 2, y, c + 2, y);
    s.ArrowHead(c, c - kReach, 0, -1, kHead);
    s.ArrowHead(c, c + kReach, 0, 1, kHead);
    s.ArrowHead(c - kReach, c, -1, 0, kHead);
    s.ArrowHead(c + kReach, c, 1, 0, kHead);
    return s.Finish();
}

// Bitmap and mask of a black/white/transparent picture: black is bitmap 1 and mask 1, white
// bitmap 0 and mask 1, transparent mask 0.
QCursor ToCursor(const TCursorImage& picture)
{
    QImage bits(kCursorSize, kCursorSize, QImage::Format_MonoLSB);
    QImage mask(kCursorSize, kCursorSize, QImage::Format_MonoLSB);
    const QList<QRgb> table = {kWhite, kBlack};   // index 1 is the set bit, drawn black
    bits.setColorTable(table);
    mask.setColorTable(table);
    bits.fill(0);
    mask.fill(0);
    for (int y = 0; y < kCursorSize; ++y)
        for (int x = 0; x < kCursorSize; ++x) {
            const QRgb p = picture.Image.pixel(x, y);
            if (qAlpha(p) == 0) continue;
            mask.setPixel(x, y, 1);
            if (p == kBlack) bits.setPixel(x, y, 1);
        }
    return QCursor(QBitmap::fromImage(bits), QBitmap::fromImage(mask), picture.HotSpot.x(),
                   picture.HotSpot.y());
}

}  // namespace

void RegisterCursor(TCursor number, const QCursor& cursor)
{
    if (number < 1) return;
    InstallCleanup();
    Registry()[number] = cursor;
    if (g_screenCursor == number) QGuiApplication::changeOverrideCursor(cursor);
}

QCursor CursorShape(TCursor number)
{
    if (number >= 1) {
        const auto found = Registry().find(number);
        if (found != Registry().end()) return found->second;
    }
    return QCursor(ToolkitShape(number));
}

void SetScreenCursor(TCursor number)
{
    if (number == g_screenCursor) return;
    InstallCleanup();
    if (number == crDefault)
        QGuiApplication::restoreOverrideCursor();
    else if (g_screenCursor == crDefault)
        QGuiApplication::setOverrideCursor(CursorShape(number));
    else
        QGuiApplication::changeOverrideCursor(CursorShape(number));
    g_screenCursor = number;
}

TCursor ScreenCursor() { return g_screenCursor; }

TCursorImage ChartCursorImage(TCursor number)
{
    switch (number) {
    case crChartHand: return {FromArt(kHandArt), QPoint(12, 3)};
    case crChartZoomWind: return {ZoomWindowPicture(), QPoint(7, 9)};
    case crChartZoomDrag: return {ZoomDragPicture(), QPoint(15, 15)};
    case crChartZoomWindPos: return {ZoomWindowPosPicture(), QPoint(7, 8)};
    default: return {};
    }
}

void RegisterChartCursors()
{
    for (TCursor number = crChartHand; number <= crChartZoomWindPos; ++number)
        if (Registry().count(number) == 0) RegisterCursor(number, ToCursor(ChartCursorImage(number)));
}
