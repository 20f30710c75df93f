#include <gtest/gtest.h>

#include <QApplication>
#include <algorithm>
#include <memory>

#include "mainwindowlabel.h"
#include "numlab/numlab.h"
#include "platform/colors.h"
#include "platform/localefmt.h"
#include "testsupport/testsupport.h"

using testsupport::CountPixels;
using testsupport::PixelRgb;

namespace {

constexpr std::uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kGray = 0x808080, kSilver = 0xC0C0C0;


// Extent of the pixels of one colour inside a rectangle; false when there is none.
bool InkBox(const QImage& img, std::uint32_t rgb, const TRect& area, TRect& box)
{
    box = {area.Right, area.Bottom, area.Left - 1, area.Top - 1};
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x)
            if (PixelRgb(img, x, y) == rgb) {
                box.Left = std::min(box.Left, x);
                box.Top = std::min(box.Top, y);
                box.Right = std::max(box.Right, x + 1);
                box.Bottom = std::max(box.Bottom, y + 1);
            }
    return box.Left < box.Right;
}

int TextWidthIn(const TFont& font, const std::string& text)
{
    TBitmap probe(1, 1);
    probe.Canvas().Font().Assign(font);
    return probe.Canvas().TextWidth(text);
}

}  // namespace

TEST(NumLab, DefaultsAsCreated)
{
    TNumLab lab;
    EXPECT_EQ(lab.width(), 160);
    EXPECT_EQ(lab.height(), 28);
    EXPECT_EQ(lab.Value(), 0.0);
    EXPECT_EQ(lab.DisplayType(), dtFixP);
    EXPECT_EQ(lab.Precision(), 2);
    EXPECT_FALSE(lab.Comma());
    EXPECT_FALSE(lab.ForcePlusSign());
    EXPECT_FALSE(lab.Empty());
    EXPECT_EQ(lab.StateText(), "undefined");
    EXPECT_EQ(lab.DTFormat(), "mmm-dd, yyyy");
    EXPECT_EQ(lab.OverflowIndicator(), "*********");
    EXPECT_EQ(lab.LeftTextAlignment(), taRightJustify);
    EXPECT_EQ(lab.RightTextAlignment(), taLeftJustify);
    EXPECT_EQ(lab.Alignment(), taCenter);
    EXPECT_EQ(lab.LeftSpace(), 35);
    EXPECT_EQ(lab.LabelWidth(), 80);
    EXPECT_EQ(lab.FrameStyle(), fsLowered);
    EXPECT_EQ(lab.ColorScheme(), csBWG);
    EXPECT_EQ(lab.ColorLabBakG(), clBtnFace);
    EXPECT_EQ(lab.ColorOutText(), clBlack);
    EXPECT_EQ(lab.FrameColorShadow(), clGray);
    EXPECT_EQ(lab.FrameColorHighlight(), clWhite);
    EXPECT_FALSE(lab.Transparent());
    EXPECT_TRUE(lab.Enabled());
}

TEST(NumLab, SettersIgnoreOrLimitBadValues)
{
    TNumLab lab;
    lab.SetPrecision(-1);
    EXPECT_EQ(lab.Precision(), 2);
    lab.SetPrecision(40);
    EXPECT_EQ(lab.Precision(), 15);
    lab.SetLeftSpace(-5);
    EXPECT_EQ(lab.LeftSpace(), 35);
    lab.SetLeftSpace(1000);
    EXPECT_EQ(lab.LeftSpace(), 160);
    lab.SetColorScheme(csSystem);
    EXPECT_EQ(lab.FrameColorShadow(), clBtnShadow);
    EXPECT_EQ(lab.FrameColorHighlight(), clBtnHighlight);
    EXPECT_EQ(lab.FrameColorDark(), clBlack);
    // Odd geometry and values draw without raising.
    lab.SetLabelWidth(-20);
    lab.SetValue(std::numeric_limits<double>::quiet_NaN());
    for (int type = dtFloat; type <= dtEEngNoDP; ++type) {
        lab.SetDisplayType(TDisplay(type));
        EXPECT_NO_THROW(lab.RenderImage());
    }
    lab.resize(0, 0);
    EXPECT_TRUE(lab.RenderImage().isNull());
}

struct FieldCase {
    const char* name;
    TDisplay type;
    int precision;
    bool comma;
    bool plus;
    double value;
    const char* expected;
};

class FieldTexts : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldTexts, SeparatorAndSignInTheField)
{
    const FieldCase& tc = GetParam();
    TNumLab lab;
    lab.SetDisplayType(tc.type);
    lab.SetPrecision(tc.precision);
    lab.SetComma(tc.comma);
    lab.SetForcePlusSign(tc.plus);
    lab.SetValue(tc.value);
    EXPECT_EQ(lab.DisplayedText(), tc.expected);
}

INSTANTIATE_TEST_SUITE_P(
    NumLab, FieldTexts,
    ::testing::ValuesIn(std::vector<FieldCase>{
        {"PointByDefault", dtFixP, 4, false, false, 0.98765, "0.9877"},
        {"CommaWhenAsked", dtFixP, 4, true, false, 0.98765, "0,9877"},
        {"PlusForPositive", dtFixP, 1, false, true, 0.5, "+0.5"},
        {"NoPlusForZero", dtFixP, 1, false, true, 0, "0.0"},
        {"NoPlusForNegative", dtFixP, 1, false, true, -0.5, "-0.5"},
        {"HexNeverSigned", dtHex, 4, true, true, 255, "00FF"},
        {"BinNeverSigned", dtBin, 4, false, true, 5, "0101"},
        {"OctSigned", dtOct, 4, false, true, 8, "+0010"},
        {"CommaInExponent", dtExp, 3, true, false, 1500, "1,50E+003"},
        {"EngineeringWithComma", dtEEng, 4, true, false, 4700, "4,700k"},
    }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NumLab, FieldIgnoresTheLocaleSeparator)
{
    const TFormatSettings saved = FormatSettings();
    TFormatSettings german = TFormatSettings::English();
    german.DecimalSeparator = ',';
    SetFormatSettings(german);
    TNumLab lab;
    ConfigureAsMainWindowLabel(lab);
    EXPECT_EQ(lab.DisplayedText(), "0.0000");  // before the first fit
    lab.SetValue(0.98765);
    EXPECT_EQ(lab.DisplayedText(), "0.9877");
    SetFormatSettings(saved);
}

TEST(NumLab, TooWideTextShowsTheIndicatorExceptForState)
{
    TNumLab lab;
    ConfigureAsMainWindowLabel(lab);
    lab.SetPrecision(2);
    lab.SetValue(1234567.891);
    ASSERT_GT(TextWidthIn(lab.Font(), "1234567.89"), lab.LabelWidth() - 6);
    EXPECT_EQ(lab.DisplayedText(), "*********");
    lab.SetOverflowIndicator("##");
    EXPECT_EQ(lab.DisplayedText(), "##");
    lab.SetDisplayType(dtState);
    lab.SetStateText("a state text far wider than the field");
    EXPECT_EQ(lab.DisplayedText(), "a state text far wider than the field");
    lab.SetDisplayType(dtHex);
    lab.SetValue(5e9);
    EXPECT_EQ(lab.DisplayedText(), "##");
}

TEST(NumLab, BeforeDisplaySeesAndChangesTheFinishedText)
{
    TNumLab lab;
    lab.SetPrecision(1);
    lab.SetForcePlusSign(true);
    lab.SetValue(2.25);
    std::vector<std::string> seen;
    lab.OnBeforeDisplay = [&](TNumLab& sender, std::string& text) {
        EXPECT_EQ(&sender, &lab);
        seen.push_back(text);
        text = "x" + text;
    };
    EXPECT_EQ(lab.DisplayedText(), "x+2.3");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], "+2.3");
    lab.SetEmpty(true);
    EXPECT_EQ(lab.DisplayedText(), "");
    lab.RenderImage();
    EXPECT_EQ(seen.size(), 1u);
}

TEST(NumLab, SettersRepaintAtOnceOnlyOnChange)
{
    QWidget parent;
    parent.resize(300, 100);
    TNumLab* lab = new TNumLab(&parent);
    int paints = 0;
    lab->OnBeforeDisplay = [&](TNumLab&, std::string&) { ++paints; };
    parent.show();
    QApplication::processEvents();
    paints = 0;
    lab->SetValue(1.5);
    EXPECT_EQ(paints, 1);
    lab->SetValue(1.5);
    lab->SetPrecision(2);
    lab->SetLeftText("");
    EXPECT_EQ(paints, 1);
    lab->SetPrecision(3);
    lab->SetColorLabBakG(clWhite);
    lab->Font().SetHeight(15);
    EXPECT_EQ(paints, 4);
    lab->SetEnabled(false);
    EXPECT_EQ(paints, 5);
}

TEST(NumLab, MainWindowLabelCentresTheValueInTheField)
{
    TNumLab lab;
    ConfigureAsMainWindowLabel(lab);
    lab.SetValue(0.98765);
    const QImage img = lab.RenderImage();
    ASSERT_EQ(img.size(), QSize(193, 22));
    const int L = 120, W = 60, H = 22;

    // The number: black ink only inside the clip rectangle of the field, centred.
    TRect ink;
    ASSERT_TRUE(InkBox(img, kBlack, {L + 3, 2, L + W - 1, H - 3}, ink));
    const int w = TextWidthIn(lab.Font(), "0.9877");
    const int x = L + 2 + (W - w) / 2;
    EXPECT_GE(ink.Left, x);
    EXPECT_LE(ink.Right, x + w);
    const int leftGap = ink.Left - (L + 2), rightGap = (L + W + 1) - ink.Right;
    EXPECT_LE(std::abs(leftGap - rightGap), 3) << leftGap << " vs " << rightGap;
    EXPECT_GT(CountPixels(img, kBlack, L + 3, 2, L + W - 1, H - 3), 20);
    EXPECT_GT(CountPixels(img, kSilver, L + 3, 2, L + W - 1, H - 3), 200);

    // The lowered frame: grey outline, dark inner top-left, white outer bottom-right.
    EXPECT_EQ(PixelRgb(img, L, 5), kGray);
    EXPECT_EQ(PixelRgb(img, L + 30, 0), kGray);
    EXPECT_EQ(PixelRgb(img, L + W + 1, 5), kGray);
    EXPECT_EQ(PixelRgb(img, L + 1, 5), kBlack);
    EXPECT_EQ(PixelRgb(img, L + 30, 1), kBlack);
    EXPECT_EQ(PixelRgb(img, L + 30, H - 1), kWhite);
    EXPECT_EQ(PixelRgb(img, L + W + 2, 5), kWhite);
    EXPECT_EQ(PixelRgb(img, L + W + 2, 0), ToQRgb(clBtnFace) & 0xFFFFFFu);  // the path's end pixel

    // The caption ends five pixels before the field and shares the number's text line.
    TRect caption;
    ASSERT_TRUE(InkBox(img, kBlack, {0, 0, L, H}, caption));
    const int captionWidth = TextWidthIn(lab.Font(), "Anpassungsgrad:  ");
    EXPECT_GE(caption.Left, L - 5 - captionWidth);
    EXPECT_LE(caption.Right, L - 5);
    EXPECT_LE(std::abs(caption.Top - ink.Top), 1);  // capitals and digits share the text line
    EXPECT_EQ(CountPixels(img, kBlack, L + W + 3, 0, 193, H), 0);
}

TEST(NumLab, EmptyShowsTheFrameWithoutANumber)
{
    TNumLab lab;
    ConfigureAsMainWindowLabel(lab);
    lab.SetValue(0.5);
    lab.SetEmpty(true);
    const QImage img = lab.RenderImage();
    EXPECT_EQ(CountPixels(img, kBlack, 122, 2, 180, 19), 0);
    EXPECT_EQ(CountPixels(img, kSilver, 122, 2, 180, 19), 58 * 17);
    EXPECT_EQ(PixelRgb(img, 121, 5), kBlack);
}

TEST(NumLab, DisabledLookIsEtchedAndGrey)
{
    TNumLab lab;
    ConfigureAsMainWindowLabel(lab);
    lab.SetValue(0.98765);
    lab.SetEnabled(false);
    EXPECT_FALSE(lab.Enabled());
    const QImage img = lab.RenderImage();
    EXPECT_EQ(CountPixels(img, kBlack, 0, 0, 119, 22), 0);  // captions have no black
    TRect grey, white;
    ASSERT_TRUE(InkBox(img, kGray, {0, 0, 115, 22}, grey));
    ASSERT_TRUE(InkBox(img, kWhite, {0, 0, 115, 22}, white));
    EXPECT_EQ(white.Left, grey.Left + 1);
    EXPECT_EQ(white.Bottom, grey.Bottom + 1);
    EXPECT_EQ(CountPixels(img, kBlack, 123, 2, 179, 19), 0);  // the number is grey, not black
    EXPECT_GT(CountPixels(img, kGray, 123, 2, 179, 19), 20);
}

struct FrameCase {
    const char* name;
    TFrameStyle style;
    std::uint32_t outline, topLeft, bottomRight, rightOfField;
};

class FrameStyles : public ::testing::TestWithParam<FrameCase> {};

TEST_P(FrameStyles, ColoursOfRectangleAndPaths)
{
    const FrameCase& tc = GetParam();
    TNumLab lab;
    lab.resize(100, 20);
    lab.SetLeftSpace(10);
    lab.SetLabelWidth(40);
    lab.SetColorLabBakG(clSilver);
    lab.SetColorOutBakG(clAqua);
    lab.SetEmpty(true);
    lab.SetFrameStyle(tc.style);
    const QImage img = lab.RenderImage();
    EXPECT_EQ(PixelRgb(img, 10, 8), tc.outline);
    EXPECT_EQ(PixelRgb(img, 11, 8), tc.topLeft);
    EXPECT_EQ(PixelRgb(img, 30, 1), tc.topLeft);
    EXPECT_EQ(PixelRgb(img, 30, 19), tc.bottomRight);
    EXPECT_EQ(PixelRgb(img, 52, 8), tc.rightOfField);
    EXPECT_EQ(PixelRgb(img, 30, 10), kSilver);
    EXPECT_EQ(PixelRgb(img, 9, 8), 0x00FFFFu);  // aqua outside
}

INSTANTIATE_TEST_SUITE_P(
    NumLab, FrameStyles,
    ::testing::ValuesIn(std::vector<FrameCase>{
        {"Lowered", fsLowered, kGray, kBlack, kWhite, kWhite},
        {"Raised", fsRaised, kGray, kWhite, kBlack, kBlack},
        {"Embossed", fsEmbossed, kWhite, kGray, kGray, kGray},
        {"Engraved", fsEngraved, kGray, kWhite, kWhite, kWhite},
        {"Simple", fsSimple, kGray, kSilver, kGray, 0x00FFFF},
        {"None", fsNone, kSilver, kSilver, kSilver, 0x00FFFF},
    }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NumLab, TransparentLetsTheParentShowThrough)
{
    constexpr std::uint32_t kParent = 0x4080C0;
    TNumLab lab;
    ConfigureAsMainWindowLabel(lab);
    lab.SetValue(0.98765);
    lab.SetTransparent(true);
    TBitmap parent(220, 40);
    parent.Image().fill(0xFF000000u | kParent);
    lab.PaintTo(parent.Canvas(), 10, 5);
    const QImage& img = parent.Image();
    // Around the label, and inside it wherever nothing is drawn, the parent stays.
    EXPECT_EQ(CountPixels(img, kParent, 0, 0, 220, 5), 220 * 5);
    EXPECT_EQ(PixelRgb(img, 12, 8), kParent);
    EXPECT_EQ(PixelRgb(img, 10 + 193 - 2, 5 + 10), kParent);
    // The caption darkens it: black ink, parent elsewhere in the caption area.
    EXPECT_GT(CountPixels(img, kBlack, 10, 5, 10 + 115, 5 + 22), 20);
    EXPECT_EQ(CountPixels(img, kBlack, 10, 5, 10 + 115, 5 + 22) + CountPixels(img, kParent, 10, 5, 10 + 115, 5 + 22),
              115 * 22);
    // Inside the field the label's silver was laid first, so the number reads as on its own.
    EXPECT_GT(CountPixels(img, kSilver, 10 + 123, 5 + 2, 10 + 179, 5 + 19), 200);
    EXPECT_GT(CountPixels(img, kBlack, 10 + 123, 5 + 2, 10 + 179, 5 + 19), 20);
    EXPECT_EQ(parent.Canvas().CopyMode(), cmSrcCopy);
}

TEST(NumLab, AssignCopiesTheListedSettings)
{
    TNumLab source, target;
    source.SetLeftSpace(50);
    source.SetEmpty(true);
    source.SetLabelWidth(70);
    source.SetPrecision(5);
    source.SetLeftText("L");
    source.SetRightText("R");
    source.SetFrameStyle(fsRaised);
    source.SetAlignment(taLeftJustify);
    source.SetRightTextAlignment(taCenter);
    source.SetLeftTextAlignment(taLeftJustify);
    source.SetOverflowIndicator("!");
    source.SetValue(3.5);
    source.SetStateText("s");
    source.SetTransparent(true);
    source.SetColorLabBakG(clRed);
    source.SetColorLabText(clBlue);
    source.SetColorOutBakG(clLime);
    source.SetColorOutText(clNavy);
    source.SetColorScheme(csSystem);
    source.SetDisplayType(dtHex);
    source.SetComma(true);
    source.SetForcePlusSign(true);
    source.SetDTFormat("yyyy");
    target.Assign(source);
    EXPECT_EQ(target.LeftSpace(), 50);
    EXPECT_TRUE(target.Empty());
    EXPECT_EQ(target.LabelWidth(), 70);
    EXPECT_EQ(target.Precision(), 5);
    EXPECT_EQ(target.LeftText(), "L");
    EXPECT_EQ(target.RightText(), "R");
    EXPECT_EQ(target.FrameStyle(), fsRaised);
    EXPECT_EQ(target.Alignment(), taLeftJustify);
    EXPECT_EQ(target.RightTextAlignment(), taCenter);
    EXPECT_EQ(target.LeftTextAlignment(), taLeftJustify);
    EXPECT_EQ(target.OverflowIndicator(), "!");
    EXPECT_EQ(target.Value(), 3.5);
    EXPECT_EQ(target.StateText(), "s");
    EXPECT_TRUE(target.Transparent());
    EXPECT_EQ(target.ColorLabBakG(), clRed);
    EXPECT_EQ(target.ColorLabText(), clBlue);
    EXPECT_EQ(target.ColorOutBakG(), clLime);
    EXPECT_EQ(target.ColorOutText(), clNavy);
    EXPECT_EQ(target.ColorScheme(), csSystem);
    EXPECT_EQ(target.FrameColorShadow(), clBtnShadow);
    EXPECT_EQ(target.DisplayType(), dtHex);
    EXPECT_FALSE(target.Comma());
    EXPECT_FALSE(target.ForcePlusSign());
    EXPECT_EQ(target.DTFormat(), "mmm-dd, yyyy");
}

TEST(NumLab, TransparentWidgetShowsItsParentOnScreen)
{
    constexpr std::uint32_t kParent = 0x4080C0;
    QWidget parent;
    parent.resize(220, 40);
    parent.setAutoFillBackground(true);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, QColor(0x40, 0x80, 0xC0));
    parent.setPalette(palette);
    TNumLab* lab = new TNumLab(&parent);
    ConfigureAsMainWindowLabel(*lab);
    lab->move(10, 5);
    lab->SetValue(0.98765);
    lab->SetTransparent(true);
    const QImage img = parent.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(PixelRgb(img, 12, 8), kParent);
    EXPECT_GT(CountPixels(img, kBlack, 10, 5, 10 + 115, 5 + 22), 20);
    EXPECT_EQ(CountPixels(img, kBlack, 10, 5, 10 + 115, 5 + 22) + CountPixels(img, kParent, 10, 5, 10 + 115, 5 + 22),
              115 * 22);
    EXPECT_GT(CountPixels(img, kSilver, 10 + 123, 5 + 2, 10 + 179, 5 + 19), 200);

    lab->SetTransparent(false);
    const QImage opaque = parent.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(PixelRgb(opaque, 12, 8), ToQRgb(clBtnFace) & 0xFFFFFFu);
}
