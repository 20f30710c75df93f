#pragma once
// Fonts for the window's standard widgets: a classic face name and a character height in pixels.
#include <QFont>
#include <string>

QFont UiFont(const std::string& face, int pixelHeight, bool bold = false);
