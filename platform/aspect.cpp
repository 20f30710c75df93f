#include "platform/aspect.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {

// Resolutions that differ by less than this fraction count as equal: screens report their
// physical size in whole millimetres, so square pixels rarely come out exactly equal.
constexpr double kEqualDpiFraction = 0.02;
// Aspect numbers are given in hundredths before reduction.
constexpr int kAspectScale = 100;

int Gcd(int a, int b)
{
    while (b != 0) {
        const int t = a % b;
        a = b;
        b = t;
    }
    return a;
}

}  // namespace

TPixelAspect PixelAspectFromDpi(double dpiX, double dpiY)
{
    if (!(dpiX > 0.0) || !(dpiY > 0.0) || !std::isfinite(dpiX) || !std::isfinite(dpiY)) return {};
    if (std::fabs(dpiX - dpiY) <= kEqualDpiFraction * std::max(dpiX, dpiY)) return {};
    // width : height = (1 / dpiX) : (1 / dpiY) = dpiY : dpiX
    int x = int(std::lround(kAspectScale * dpiY / std::max(dpiX, dpiY)));
    int y = int(std::lround(kAspectScale * dpiX / std::max(dpiX, dpiY)));
    x = std::max(x, 1);
    y = std::max(y, 1);
    const int g = Gcd(x, y);
    return {x / g, y / g};
}

TPixelAspect DisplayPixelAspect()
{
    const auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app) return {};
    const QString platform = QGuiApplication::platformName();
    // The offscreen platform and virtual X servers report invented physical sizes.
    if (platform == "offscreen" || platform == "minimal") return {};
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {};
    const QSizeF mm = screen->physicalSize();
    if (mm.width() <= 0.0 || mm.height() <= 0.0) return {};
    return PixelAspectFromDpi(screen->physicalDotsPerInchX(), screen->physicalDotsPerInchY());
}
