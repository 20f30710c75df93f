#include "testsupport/testsupport.h"

#include <QFileInfo>
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

}  // namespace testsupport
