#include "platform/font.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "common/mathutil.h"

std::string ResolveFontFamily(const std::string& name)
{
    // The classic window faces and their metric-compatible replacements.
    static const char* const kSans[] = {"Arial", "Tahoma", "MS Sans Serif", "Microsoft Sans Serif",
                                        "Helvetica", "Verdana"};
    for (const char* face : kSans)
        if (name == face) return "Liberation Sans";
    if (name == "Times New Roman" || name == "MS Serif") return "Liberation Serif";
    if (name == "Courier New" || name == "Courier") return "Liberation Mono";
    return name;
}

void TFont::Changed()
{
    if (OnChange) OnChange(*this);
}

void TFont::SetName(const std::string& value)
{
    m_name = value;
    Changed();
}

void TFont::SetHeight(int value)
{
    if (value == 0) return;
    m_height = std::clamp(value, -kMaxFontHeight, kMaxFontHeight);
    Changed();
}

int TFont::Size() const
{
    return RoundToInt(double(PixelHeight()) * 72.0 / double(m_pixelsPerInch));
}

void TFont::SetSize(int points)
{
    if (points == 0) return;
    const int height = RoundToInt(std::fabs(double(points)) * double(m_pixelsPerInch) / 72.0);
    m_height = std::clamp(height, 1, kMaxFontHeight);
    Changed();
}

void TFont::SetPixelsPerInch(int value)
{
    if (value < 1) return;
    m_pixelsPerInch = std::min(value, kMaxPixelsPerInch);
    Changed();
}

void TFont::SetColor(TColor value)
{
    m_color = value;
    Changed();
}

void TFont::SetStyle(TFontStyles value)
{
    m_style = value & (fsBold | fsItalic | fsUnderline | fsStrikeOut);
    Changed();
}

void TFont::SetCharset(int value)
{
    m_charset = value;
    Changed();
}

void TFont::Assign(const TFont& other)
{
    if (&other == this) return;
    m_name = other.m_name;
    m_height = other.m_height;
    m_pixelsPerInch = other.m_pixelsPerInch;
    m_color = other.m_color;
    m_style = other.m_style;
    m_charset = other.m_charset;
    Changed();
}

bool TFont::SameAs(const TFont& other) const
{
    return m_name == other.m_name && m_height == other.m_height &&
           m_pixelsPerInch == other.m_pixelsPerInch && m_color == other.m_color &&
           m_style == other.m_style && m_charset == other.m_charset;
}

int TFont::PixelHeight() const { return std::abs(m_height); }

QFont TFont::ToQFont() const
{
    QFont font(QString::fromStdString(ResolveFontFamily(m_name)));
    font.setPixelSize(PixelHeight());
    font.setBold((m_style & fsBold) != 0);
    font.setItalic((m_style & fsItalic) != 0);
    font.setUnderline((m_style & fsUnderline) != 0);
    font.setStrikeOut((m_style & fsStrikeOut) != 0);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setKerning(false);
    return font;
}
