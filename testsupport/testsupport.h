#pragma once
// Helpers shared by the component test suites.
#include <gtest/gtest.h>
#include <QImage>
#include <cstdint>
#include <string>

namespace testsupport {

// Number of equal leading significant decimal digits of a and b (17 when they are equal).
double SignificantDigits(double actual, double expected);

// Passes when actual agrees with expected to at least `digits` significant decimal digits.
::testing::AssertionResult AgreesTo(double actual, double expected, double digits);

// The pixel at (x, y) as 0xRRGGBB, alpha dropped.
std::uint32_t PixelRgb(const QImage& image, int x, int y);

// Counts the pixels of `image` inside [x1, x2) x [y1, y2) whose colour is `rgb` (0xRRGGBB).
int CountPixels(const QImage& image, std::uint32_t rgb, int x1, int y1, int x2, int y2);

// Compares `actual` with the golden PNG at `goldenPath`, pixel-exact. On a mismatch it writes
// <name>.actual.png and <name>.diff.png beside the test's working directory. With the
// environment variable UPDATE_GOLDENS=1 it rewrites the golden instead and passes.
::testing::AssertionResult MatchesGolden(const QImage& actual, const std::string& goldenPath);

}  // namespace testsupport
