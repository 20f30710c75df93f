#include "platform/colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

// Classic grey scheme for system colours when no application palette exists.
QRgb FallbackSystemRgb(unsigned index)
{
    switch (index) {
    case 0x05: case 0x0E: case 0x14: return qRgb(255, 255, 255);  // window, highlight text, btn highlight
    case 0x0D: return qRgb(0, 0, 128);                              // highlight
    case 0x10: case 0x11: return qRgb(128, 128, 128);               // btn shadow, grey text
    case 0x00: case 0x0F: return qRgb(192, 192, 192);               // scroll bar, btn face
    case 0x01: return qRgb(0, 128, 128);                            // desktop
    default: return qRgb(0, 0, 0);
    }
}

// The palette role for a system colour number; false when the number has none.
bool PaletteRoleOf(unsigned index, QPalette::ColorGroup& group, QPalette::ColorRole& role)
{
    group = QPalette::Active;
    switch (index) {
    case 0x00: role = QPalette::Button; return true;          // scroll bar
    case 0x01: role = QPalette::Window; return true;          // desktop background
    case 0x02: case 0x03: role = QPalette::Highlight; return true;  // captions
    case 0x04: role = QPalette::Window; return true;          // menu
    case 0x05: role = QPalette::Base; return true;            // window
    case 0x06: role = QPalette::Shadow; return true;          // window frame
    case 0x07: role = QPalette::WindowText; return true;      // menu text
    case 0x08: role = QPalette::Text; return true;            // window text
    case 0x09: role = QPalette::HighlightedText; return true; // caption text
    case 0x0C: role = QPalette::Dark; return true;            // application workspace
    case 0x0D: role = QPalette::Highlight; return true;
    case 0x0E: role = QPalette::HighlightedText; return true;
    case 0x0F: role = QPalette::Button; return true;          // button face
    case 0x10: role = QPalette::Dark; return true;            // button shadow
    case 0x11: group = QPalette::Disabled; role = QPalette::Text; return true;  // grey text
    case 0x12: role = QPalette::ButtonText; return true;
    case 0x14: role = QPalette::Light; return true;           // button highlight
    case 0x15: role = QPalette::Shadow; return true;          // 3-D dark shadow
    case 0x16: role = QPalette::Midlight; return true;        // 3-D light
    case 0x17: role = QPalette::ToolTipText; return true;
    case 0x18: role = QPalette::ToolTipBase; return true;
    default: return false;
    }
}

QRgb SystemRgb(unsigned index)
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    if (!QGuiApplication::instance() || !PaletteRoleOf(index, group, role)) return FallbackSystemRgb(index);
    return QGuiApplication::palette().color(group, role).rgb();
}

}  // namespace

QRgb ToQRgb(TColor color)
{
    if (IsSystemColor(color)) return SystemRgb(color & 0xFFu) | 0xFF000000u;
    return qRgb(RedOf(color), GreenOf(color), BlueOf(color));
}

QColor ToQColor(TColor color) { return QColor::fromRgb(ToQRgb(color)); }

TColor FromQRgb(QRgb rgb) { return RGBColor(qRed(rgb), qGreen(rgb), qBlue(rgb)); }

TColor FromQColor(const QColor& color) { return FromQRgb(color.rgb()); }

TColor ColorToRGB(TColor color) { return IsSystemColor(color) ? FromQRgb(ToQRgb(color)) : (color & 0xFFFFFFu); }
