#pragma once
// Saving the chart as a picture: PNG at the screen's size or at a multiple of it, or SVG, both
// drawn from the chart's own drawing operations.
#include <string>

class TCustomRChart;

enum TChartPictureType { cptPng, cptPng2, cptPng3, cptSvg };

// Writes the chart to `fileName`; the old file is replaced only by a complete new one. Returns the
// message of a failure in the window's language, empty on success.
std::string SaveChartPicture(TCustomRChart& chart, const std::string& fileName, TChartPictureType type);
