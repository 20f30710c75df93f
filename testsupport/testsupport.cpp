#include "testsupport/testsupport.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <climits>
#include <iterator>
#include <limits>
#include <cmath>
#include <cstdlib>

namespace testsupport {

double SignificantDigits(double actual, double expected)
{
    if (actual == expected) return 17.0;
    const double scale = std::max(std::fabs(expected), std::fabs(actual));
    const double rel = std::fabs(actual - expected) / scale;
    return -std::log10(rel);
}

::testing::AssertionResult AgreesTo(double actual, double expected, double digits)
{
    const double got = SignificantDigits(actual, expected);
    if (got >= digits) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "actual " << std::to_string(actual) << " (" << actual << ") vs expected " << expected
           << ": " << got << " significant digits, wanted " << digits;
}

std::string TestFontPath()
{
    return KALMIRA_TEST_FONT;
}

bool LoadTestFont()
{
    // Registered after the machine's fonts, the file takes the place of an installed Liberation
    // Sans of the same family and style.
    return QFontDatabase::addApplicationFont(QString::fromStdString(TestFontPath())) >= 0;
}

std::uint32_t PixelRgb(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFFu;
}

int CountPixels(const QImage& image, std::uint32_t rgb, int x1, int y1, int x2, int y2)
{
    int count = 0;
    for (int y = y1; y < y2; ++y)
        for (int x = x1; x < x2; ++x)
            if (PixelRgb(image, x, y) == rgb) ++count;
    return count;
}

::testing::AssertionResult MatchesGolden(const QImage& actual, const std::string& goldenPath)
{
    const QString path = QString::fromStdString(goldenPath);
    const QImage converted = actual.convertToFormat(QImage::Format_RGB32);
    const char* update = std::getenv("UPDATE_GOLDENS");
    if (update && std::string(update) == "1") {
        converted.save(path);
        return ::testing::AssertionSuccess();
    }
    QImage golden(path);
    if (golden.isNull()) return ::testing::AssertionFailure() << "no golden image at " << goldenPath;
    golden = golden.convertToFormat(QImage::Format_RGB32);
    const QString base = QFileInfo(path).completeBaseName();
    if (golden.size() != converted.size()) {
        converted.save(base + ".actual.png");
        return ::testing::AssertionFailure() << "size differs from " << goldenPath;
    }
    QImage diff(converted.size(), QImage::Format_RGB32);
    diff.fill(Qt::white);
    int mismatches = 0;
    for (int y = 0; y < golden.height(); ++y)
        for (int x = 0; x < golden.width(); ++x)
            if (golden.pixel(x, y) != converted.pixel(x, y)) {
                diff.setPixel(x, y, qRgb(255, 0, 0));
                ++mismatches;
            }
    if (mismatches == 0) return ::testing::AssertionSuccess();
    converted.save(base + ".actual.png");
    diff.save(base + ".diff.png");
    return ::testing::AssertionFailure() << mismatches << " pixels differ from " << goldenPath;
}

double THostile::Double()
{
    static const double kSpecial[] = {
        std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
        std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(), 1e308, -1e308,
        std::numeric_limits<double>::min(), -std::numeric_limits<double>::min(),
        std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::denorm_min(), 1e-310,
        0.0, -0.0, 1.0, -1.0, 0.5, 2147483647.0, -2147483648.0, 2147483648.0, 9.2233720368547758e18,
        -9.2233720368547758e18, 1.8446744073709552e19, 4294967295.0, 1e15, 1e16, 1e300, -1e300};
    if (Chance(0.4)) return kSpecial[std::uniform_int_distribution<std::size_t>(0, std::size(kSpecial) - 1)(m_rng)];
    const double mantissa = std::uniform_real_distribution<double>(1.0, 10.0)(m_rng);
    const int exponent = Chance(0.5) ? Between(-6, 8) : Between(-320, 307);
    const double v = mantissa * std::pow(10.0, exponent);
    return Chance(0.5) ? -v : v;
}

int THostile::Int()
{
    static const int kSpecial[] = {INT_MIN, INT_MIN + 1, INT_MAX, INT_MAX - 1, 0, 1, -1, 2, 1 << 30, -(1 << 30),
                                   65535, 65536, -65536, 2147479946};
    if (Chance(0.4)) return kSpecial[std::uniform_int_distribution<std::size_t>(0, std::size(kSpecial) - 1)(m_rng)];
    if (Chance(0.6)) return Between(-300, 300);
    return std::uniform_int_distribution<int>(INT_MIN, INT_MAX)(m_rng);
}

int THostile::Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }

bool THostile::Chance(double p) { return std::bernoulli_distribution(p)(m_rng); }

std::string THostile::Text()
{
    static const char* const kPieces[] = {"1", "0", "9", ".", ",", "e", "E", "+", "-", " ", "1e999", "1e-999",
                                          "nan", "inf", "\xC2\xB0", "\"", "'", "|", "&", "yyyy", "mmm", "dd",
                                          "hh", "nn", "ss", "zzz", "am/pm", "%s", "%n", "\x01", "\xFF"};
    std::string s;
    const int n = Between(0, 12);
    for (int i = 0; i < n; ++i) s += kPieces[std::uniform_int_distribution<std::size_t>(0, std::size(kPieces) - 1)(m_rng)];
    return s.substr(0, 40);
}

double SolidBlockShare(const QImage& image, const std::function<bool(std::uint32_t)>& ink, int x1, int y1, int x2,
                       int y2)
{
    int inked = 0, solid = 0;
    for (int y = y1; y + 1 < y2; y += 2)
        for (int x = x1; x + 1 < x2; x += 2) {
            const int n = ink(PixelRgb(image, x, y)) + ink(PixelRgb(image, x + 1, y)) + ink(PixelRgb(image, x, y + 1)) +
                          ink(PixelRgb(image, x + 1, y + 1));
            inked += n > 0;
            solid += n == 4;
        }
    return inked == 0 ? -1.0 : double(solid) / inked;
}

}  // namespace testsupport
