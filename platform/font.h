#pragma once
// Font description shared by canvases and components: name, size, colour, style set and
// character set, with a change notification for the owner.
#include <QFont>
#include <functional>
#include <string>

#include "common/types.h"

enum TFontStyle : unsigned {
    fsBold = 1u << 0,
    fsItalic = 1u << 1,
    fsUnderline = 1u << 2,
    fsStrikeOut = 1u << 3,
};
using TFontStyles = unsigned;  // a set of TFontStyle bits

// Pixels per inch of the screen; point sizes convert to pixel heights with it.
constexpr int kScreenPixelsPerInch = 96;

constexpr int kDefaultCharset = 1;

// Largest font height in pixels (either sign) and largest pixels per inch; larger values are
// clamped, so text measurement never works with absurd sizes.
constexpr int kMaxFontHeight = 1000;
constexpr int kMaxPixelsPerInch = 10000;

// A font. Height is in pixels: the characters' em height (a negative height means the same as
// its magnitude). Size is in points at PixelsPerInch (96 unless a printer canvas changes it).
// The window's classic face names (Arial, Tahoma, MS Sans Serif, Microsoft Sans Serif) resolve to
// the metric-compatible Liberation fonts.
class TFont {
public:
    TFont() = default;
    TFont(const TFont&) = delete;             // copying would copy the listener
    TFont& operator=(const TFont&) = delete;

    // properties; every setter notifies, also when the value did not change
    const std::string& Name() const { return m_name; }
    void SetName(const std::string& value);
    int Height() const { return m_height; }
    void SetHeight(int value);                 // 0 is ignored; clamped into -kMaxFontHeight..kMaxFontHeight
    int Size() const;                          // points, rounded half to even
    void SetSize(int points);                  // Height := |points| * PixelsPerInch / 72, rounded, 1..kMaxFontHeight; 0 ignored
    int PixelsPerInch() const { return m_pixelsPerInch; }
    void SetPixelsPerInch(int value);          // values below 1 are ignored, above kMaxPixelsPerInch clamped; the height is kept
    TColor Color() const { return m_color; }
    void SetColor(TColor value);
    TFontStyles Style() const { return m_style; }
    void SetStyle(TFontStyles value);
    int Charset() const { return m_charset; }
    void SetCharset(int value);

    // events
    std::function<void(TFont& sender)> OnChange;  // after every change, when assigned

    // operations
    void Assign(const TFont& other);           // copies every value, keeps our listener, notifies once
    bool SameAs(const TFont& other) const;     // all values equal
    int PixelHeight() const;                   // |Height|, the em height in pixels
    QFont ToQFont() const;                     // not antialiased, exact pixel size

private:
    void Changed();

    std::string m_name = "MS Sans Serif";
    int m_height = 11;
    int m_pixelsPerInch = kScreenPixelsPerInch;
    TColor m_color = clWindowText;
    TFontStyles m_style = 0;
    int m_charset = kDefaultCharset;
};

// The face name Qt is asked for in place of `name` ("Arial" gives "Liberation Sans").
std::string ResolveFontFamily(const std::string& name);
