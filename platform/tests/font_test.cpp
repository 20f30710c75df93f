#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGuiApplication>
#include <QPalette>
#include <climits>

#include "platform/colors.h"
#include "platform/font.h"

TEST(Font, SizeAndHeightConvertAt96Dpi)
{
    TFont font;
    font.SetSize(10);
    EXPECT_EQ(font.Height(), 13);
    EXPECT_EQ(font.Size(), 10);
    font.SetHeight(-16);
    EXPECT_EQ(font.PixelHeight(), 16);
    EXPECT_EQ(font.Size(), 12);
    font.SetHeight(0);
    EXPECT_EQ(font.Height(), -16);
}

TEST(Font, ExtremeHeightsSizesAndResolutionsAreClamped)
{
    TFont f;
    f.SetHeight(INT_MIN);
    EXPECT_EQ(f.Height(), -kMaxFontHeight);
    EXPECT_EQ(f.PixelHeight(), kMaxFontHeight);
    f.SetHeight(INT_MAX);
    EXPECT_EQ(f.Height(), kMaxFontHeight);
    f.SetPixelsPerInch(INT_MAX);
    EXPECT_EQ(f.PixelsPerInch(), kMaxPixelsPerInch);
    f.SetSize(INT_MIN);
    EXPECT_EQ(f.Height(), kMaxFontHeight);
    f.SetPixelsPerInch(96);
    f.SetSize(INT_MAX);
    EXPECT_EQ(f.Height(), kMaxFontHeight);
    EXPECT_EQ(f.Size(), 750);
}

TEST(Font, EverySetterNotifiesAndAssignNotifiesOnce)
{
    TFont font, other;
    int calls = 0;
    font.OnChange = [&](TFont& sender) {
        EXPECT_EQ(&sender, &font);
        ++calls;
    };
    font.SetName("Tahoma");
    font.SetHeight(13);
    font.SetColor(clRed);
    font.SetStyle(fsBold | fsItalic);
    font.SetCharset(0);
    font.SetColor(clRed);
    EXPECT_EQ(calls, 6);
    other.SetName("Arial");
    other.SetSize(20);
    other.SetStyle(fsUnderline);
    font.Assign(other);
    EXPECT_EQ(calls, 7);
    EXPECT_TRUE(font.SameAs(other));
    EXPECT_TRUE(bool(font.OnChange));
    EXPECT_FALSE(bool(other.OnChange));
}

TEST(Font, ClassicFacesResolveToLiberation)
{
    for (const char* face : {"Arial", "Tahoma", "MS Sans Serif", "Microsoft Sans Serif"}) {
        TFont font;
        font.SetName(face);
        font.SetHeight(13);
        font.SetStyle(fsBold);
        const QFont qf = font.ToQFont();
        EXPECT_EQ(QFontInfo(qf).family().toStdString(), "Liberation Sans") << face;
        EXPECT_EQ(qf.pixelSize(), 13);
        EXPECT_TRUE(qf.bold());
        EXPECT_TRUE(qf.styleStrategy() & QFont::NoAntialias);
    }
    EXPECT_EQ(ResolveFontFamily("DejaVu Sans"), "DejaVu Sans");
}

TEST(Colors, RgbAndSystemColoursConvert)
{
    EXPECT_EQ(ToQRgb(clRed), qRgb(255, 0, 0));
    EXPECT_EQ(ToQRgb(clNavy), qRgb(0, 0, 128));
    EXPECT_EQ(ToQColor(RGBColor(1, 2, 3)), QColor(1, 2, 3));
    EXPECT_EQ(FromQRgb(qRgb(1, 2, 3)), RGBColor(1, 2, 3));
    EXPECT_EQ(ColorToRGB(clSilver), clSilver);
    const QPalette pal = QGuiApplication::palette();
    EXPECT_EQ(ToQRgb(clBtnFace), pal.color(QPalette::Active, QPalette::Button).rgb());
    EXPECT_EQ(ToQRgb(clBtnShadow), pal.color(QPalette::Active, QPalette::Dark).rgb());
    EXPECT_EQ(ToQRgb(clBtnHighlight), pal.color(QPalette::Active, QPalette::Light).rgb());
    EXPECT_EQ(ToQRgb(clWindow), pal.color(QPalette::Active, QPalette::Base).rgb());
    EXPECT_EQ(ColorToRGB(clBtnFace), FromQColor(pal.color(QPalette::Active, QPalette::Button)));
}
