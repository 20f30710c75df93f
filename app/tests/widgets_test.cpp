// The input widgets of the main window and the error box text.
#include <gtest/gtest.h>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include "app/errorbox.h"
#include "app/floatedit.h"
#include "app/glyphs.h"
#include "app/panel.h"
#include "app/speedbutton.h"
#include "app/spinedit.h"
#include "app/valuegrid.h"
#include "common/errors.h"
#include "platform/colors.h"
#include "platform/localefmt.h"
#include "testsupport/testsupport.h"
#include <set>

namespace {

TFormatSettings WithSeparator(char sep)
{
    TFormatSettings s = TFormatSettings::English();
    s.DecimalSeparator = sep;
    return s;
}

class LocaleScope {
public:
    explicit LocaleScope(char sep) : m_old(FormatSettings()) { SetFormatSettings(WithSeparator(sep)); }
    ~LocaleScope() { SetFormatSettings(m_old); }

private:
    TFormatSettings m_old;
};

}  // namespace

TEST(SpinEdit, MinimumWinsOverAMaximumBelowIt)
{
    TSpinEdit e;
    e.SetMinValue(1);
    e.SetMaxValue(9);
    e.SetValue(1);
    e.SetMaxValue(0);
    for (int v : {0, 1, 2, -5, 100}) {
        SCOPED_TRACE(v);
        e.SetValue(v);
        EXPECT_EQ(e.Value(), 1);
    }
    e.stepBy(1);
    EXPECT_EQ(e.Text(), "1");
    e.SetMaxValue(8);
    e.SetValue(12);
    EXPECT_EQ(e.Value(), 8);
}

TEST(SpinEdit, NoLimitsWhenBothAreZero)
{
    TSpinEdit e;
    e.SetValue(-1234);
    EXPECT_EQ(e.Value(), -1234);
}

TEST(SpinEdit, ChangeEventOnEveryChangeOfTheTextOnly)
{
    QWidget host;
    TSpinEdit e(&host);
    e.SetMinValue(1);
    e.SetMaxValue(9);
    e.SetValue(1);
    std::vector<std::string> seen;
    e.OnChange = [&](TSpinEdit& s) { seen.push_back(s.Text().toStdString()); };
    e.SetValue(1);                       // same text: nothing
    EXPECT_TRUE(seen.empty());
    e.SetValue(3);
    e.stepBy(1);
    e.stepBy(-2);
    EXPECT_EQ(seen, (std::vector<std::string>{"3", "4", "2"}));

    host.show();
    e.setFocus();
    seen.clear();
    QTest::keyClick(&e, Qt::Key_End);
    QTest::keyClick(&e, Qt::Key_Backspace);
    QTest::keyClicks(&e, "x7");
    EXPECT_EQ(seen, (std::vector<std::string>{"", "x", "x7"}));
    EXPECT_EQ(e.Value(), 1) << "a text that is no integer reads as the minimum";
}

TEST(SpinEdit, TypedValueIsClampedWhenTheFocusLeaves)
{
    QWidget host;
    TSpinEdit e(&host);
    QLineEdit other(&host);
    e.SetMinValue(1);
    e.SetMaxValue(9);
    e.SetValue(1);
    host.show();
    QApplication::setActiveWindow(&host);
    e.setFocus();
    QTest::keyClick(&e, Qt::Key_End);
    QTest::keyClicks(&e, "5");
    EXPECT_EQ(e.Value(), 15) << "typing alone does not clamp";
    other.setFocus();
    QApplication::processEvents();
    EXPECT_EQ(e.Text(), "9");
}

TEST(FloatEdit, ReadsTheLocaleSeparator)
{
    TFloatEdit e;
    {
        LocaleScope german(',');
        e.setText("10,00");
        EXPECT_EQ(e.Value(), 10.0);
        e.SetValue(2.5);
        EXPECT_EQ(e.text(), "2,50");
        e.setText("1.5");
        EXPECT_THROW(e.Value(), EConvertError);
    }
    LocaleScope english('.');
    for (const char* t : {"", "-", "  "}) {
        e.setText(t);
        EXPECT_EQ(e.Value(), 0.0) << t;
    }
    e.setText("abc");
    try {
        e.Value();
        FAIL();
    } catch (const EConvertError& err) {
        EXPECT_STREQ(err.what(), "'abc' ist kein gültiger Gleitkommawert");
    }
}

TEST(SpeedButton, GroupNeverShowsTwoDownAndAllUpIsAllowed)
{
    QWidget host;
    TSpeedButton a(&host), b(&host), other(&host);
    for (TSpeedButton* s : {&a, &b}) {
        s->SetGroupIndex(99);
        s->SetAllowAllUp(true);
    }
    other.SetGroupIndex(98);
    other.SetAllowAllUp(true);
    int clicks = 0;
    a.OnClick = [&](TSpeedButton&) { ++clicks; };
    host.show();
    QTest::mouseClick(&other, Qt::LeftButton);
    QTest::mouseClick(&a, Qt::LeftButton);
    EXPECT_TRUE(a.Down());
    EXPECT_TRUE(other.Down()) << "another group is not touched";
    QTest::mouseClick(&b, Qt::LeftButton);
    EXPECT_FALSE(a.Down());
    EXPECT_TRUE(b.Down());
    QTest::mouseClick(&a, Qt::LeftButton);
    QTest::mouseClick(&a, Qt::LeftButton);
    EXPECT_FALSE(a.Down()) << "a pressed button comes up when clicked again";
    EXPECT_FALSE(b.Down());
    EXPECT_EQ(clicks, 3) << "the click event runs in every case";
}

TEST(SpeedButton, WithoutGroupItNeverStaysDown)
{
    TSpeedButton s;
    s.SetDown(true);
    EXPECT_FALSE(s.Down());
}

TEST(ValueGrid, HeaderRowDataRowsAndCellKinds)
{
    LocaleScope german(',');
    TValueGridModel m(24);
    EXPECT_EQ(m.rowCount(), 24);
    EXPECT_EQ(m.columnCount(), 2);
    EXPECT_EQ(m.CellText(0, 0), "X");
    EXPECT_EQ(m.CellText(1, 0), "Y");
    EXPECT_FALSE(m.CellEmpty(0, 0));
    EXPECT_TRUE(m.CellEmpty(0, 1));
    EXPECT_TRUE(m.CellEmpty(0, 25)) << "below the table counts as empty";

    m.setData(m.index(0, 0), "1,5", Qt::EditRole);
    m.setData(m.index(0, 1), "abc", Qt::EditRole);
    EXPECT_EQ(m.CellValue(0, 1), 1.5);
    EXPECT_EQ(m.data(m.index(0, 0), Qt::DisplayRole).toString(), "1,50");
    EXPECT_EQ(m.data(m.index(0, 1), Qt::DisplayRole).toString(), "abc");
    EXPECT_THROW(m.CellValue(1, 1), EConvertError);
    EXPECT_THROW(m.CellValue(0, 2), EConvertError) << "an empty cell is no number";

    m.ClearCells();
    EXPECT_TRUE(m.CellEmpty(0, 1));
    EXPECT_TRUE(m.CellEmpty(1, 1));
    EXPECT_EQ(m.CellText(0, 0), "X");
    EXPECT_EQ(m.rowCount(), 24);
}

TEST(ValueGrid, HoldsAMillionRowsAsNumbers)
{
    TValueGridModel m(24);
    std::vector<double> x(1000000), y(1000000);
    for (std::size_t i = 0; i < x.size(); ++i) { x[i] = double(i); y[i] = 0.5 * double(i); }
    m.SetNumbers(x, y);
    EXPECT_EQ(m.rowCount(), 1000001) << "the rows and the empty one to type on";
    EXPECT_EQ(m.CellValue(1, 1000000), 0.5 * 999999);
    EXPECT_LE(m.MemoryBytes(), 1000001 * 16) << "16 bytes a row, no spare capacity";
}

TEST(ErrorBox, FullStopWhenTheLastCharacterSortsAfterIt)
{
    struct Case { const char* in; const char* out; };
    const Case cases[] = {
        {"CalcLinFit: not enough data points", "CalcLinFit: not enough data points."},
        {"Ende.", "Ende."},
        {"Zahl 1", "Zahl 1."},
        {"Fehler!", "Fehler!"},       // '!' sorts before '.'
        {"a-", "a-"},                 // '-' sorts before '.'
        {"a/", "a/."},
        {"", ""},
        {"Gleitkommaüberlauf", "Gleitkommaüberlauf."},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorBoxText(c.in), c.out) << c.in;
}

TEST(ErrorBox, TitleFromTheProgramFileName)
{
    EXPECT_EQ(ApplicationTitleFrom("/usr/bin/kalmira"), "kalmira");
    EXPECT_EQ(ApplicationTitleFrom("/opt/KALMIRA.Bin.exe"), "Kalmira");
    EXPECT_EQ(ApplicationTitleFrom("C:\\Prog\\CFitDemo.exe"), "Cfitdemo");
}

TEST(Glyphs, PenAndRedCrossOnATransparentGround)
{
    const QImage pen = PenGlyphImage(), cross = CrossGlyphImage();
    ASSERT_EQ(pen.size(), QSize(21, 21));
    ASSERT_EQ(cross.size(), QSize(21, 21));
    const QRgb penKey = pen.pixel(0, 20), crossKey = cross.pixel(0, 20);

    // The pen lies diagonally: its tip is black at the bottom left, its body runs to the top right.
    EXPECT_EQ(testsupport::PixelRgb(pen, 1, 18), 0x000000u);
    EXPECT_NE(pen.pixel(12, 7), penKey);
    EXPECT_EQ(pen.pixel(20, 0), penKey);
    EXPECT_EQ(pen.pixel(2, 2), penKey);
    std::set<QRgb> colours;
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 21; ++x) colours.insert(pen.pixel(x, y));
    EXPECT_LE(colours.size(), 16u);

    // The cross: red on both diagonals and in the middle, ground in the corners and edge middles.
    for (QPoint p : {QPoint(5, 5), QPoint(15, 15), QPoint(15, 5), QPoint(5, 15), QPoint(10, 10)}) {
        const QColor c(cross.pixel(p));
        EXPECT_GT(c.red(), 0x70) << p.x() << "," << p.y();
        EXPECT_LT(c.green(), c.red()) << p.x() << "," << p.y();
    }
    for (QPoint p : {QPoint(10, 1), QPoint(1, 10), QPoint(19, 10), QPoint(10, 19), QPoint(20, 0)})
        EXPECT_EQ(cross.pixel(p), crossKey) << p.x() << "," << p.y();

    // In the button's icon the ground is transparent.
    const QImage icon = GlyphIcon(cross).pixmap(21, 21).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(icon.pixel(10, 1)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(10, 10)), 255);
}

TEST(Panel, LoweredOuterAndRaisedInnerBevel)
{
    TPanel panel;
    panel.resize(40, 20);
    panel.SetColor(clWhite);
    const QImage img = panel.RenderImage();
    const std::uint32_t shadow = ToQRgb(clBtnShadow) & 0xFFFFFF, light = ToQRgb(clBtnHighlight) & 0xFFFFFF;
    EXPECT_EQ(testsupport::PixelRgb(img, 0, 0), shadow);      // outer ring: dark top left
    EXPECT_EQ(testsupport::PixelRgb(img, 20, 0), shadow);
    EXPECT_EQ(testsupport::PixelRgb(img, 39, 10), light);     // light bottom right
    EXPECT_EQ(testsupport::PixelRgb(img, 20, 19), light);
    EXPECT_EQ(testsupport::PixelRgb(img, 1, 10), light);      // inner ring: light top left
    EXPECT_EQ(testsupport::PixelRgb(img, 38, 10), shadow);    // dark bottom right
    EXPECT_EQ(testsupport::PixelRgb(img, 20, 18), shadow);
    EXPECT_EQ(testsupport::PixelRgb(img, 20, 10), 0xFFFFFFu);  // the panel's colour inside
}
