#pragma once
// Helpers shared by the component test suites.
#include <gtest/gtest.h>
#include <QImage>
#include <chrono>
#include <cstdint>
#include <functional>
#include <random>
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

// Of the aligned 2 x 2 blocks of `image` in [x1, x2) x [y1, y2) (device pixels, x1 and y1 even)
// that hold a pixel for which `ink` holds, the share made of ink alone: 1 for a picture
// enlarged twice from half the resolution, low for thin lines and text drawn at full
// resolution; -1 without ink.
double SolidBlockShare(const QImage& image, const std::function<bool(std::uint32_t)>& ink, int x1, int y1, int x2,
                       int y2);
// Text and line ink: a pixel darker than middle grey.
inline bool IsDark(std::uint32_t rgb) { return ((rgb >> 16) & 0xFF) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF) < 384; }

// Compares `actual` with the golden PNG at `goldenPath`, pixel-exact. On a mismatch it writes
// <name>.actual.png and <name>.diff.png beside the test's working directory. With the
// environment variable UPDATE_GOLDENS=1 it rewrites the golden instead and passes.
::testing::AssertionResult MatchesGolden(const QImage& actual, const std::string& goldenPath);

// The test font: Liberation Sans as shipped in testdata/fonts.
std::string TestFontPath();
// Registers the test font with the application by file, so Liberation Sans and the faces that
// resolve to it draw with exactly that file. Needs the application object; returns false when
// the file cannot be loaded.
bool LoadTestFont();

// Hostile arguments for the robustness tests: NaN, infinities, the ends of double and int,
// denormals, signed zeros, and random values of every magnitude. The fixed seed makes every run
// draw the same values.
class THostile {
public:
    explicit THostile(std::uint32_t seed) : m_rng(seed) {}
    double Double();                  // a special value or a random one from 1e-320 to 1e308
    int Int();                        // INT_MIN, INT_MAX, their neighbours, 0, small or random
    int Between(int low, int high);   // uniform in low..high
    bool Chance(double p);            // true with probability p
    std::string Text();               // random bytes and number-like texts, up to 40 characters
    std::mt19937& Rng() { return m_rng; }

private:
    std::mt19937 m_rng;
};

// Ends a randomized loop after `rounds` rounds or `seconds` seconds, whichever comes first, so a
// robustness test stays short on a slow (sanitizer) build.
class TRounds {
public:
    TRounds(int rounds, double seconds)
        : m_left(rounds),
          m_end(std::chrono::steady_clock::now() + std::chrono::milliseconds(static_cast<long long>(seconds * 1000))) {}
    bool Next() { return m_left-- > 0 && std::chrono::steady_clock::now() < m_end; }

private:
    int m_left;
    std::chrono::steady_clock::time_point m_end;
};

}  // namespace testsupport
