#pragma once
// The relative width and height of one display pixel. Only the chart's isometric rule reads it.

struct TPixelAspect {
    int X = 1;
    int Y = 1;
};

// From the primary screen's physical resolution in x and y where the platform reports one;
// 1:1 where it does not (no screen, offscreen or virtual displays with made-up sizes).
TPixelAspect DisplayPixelAspect();

// The aspect of pixels with the given physical resolutions (dots per inch) in x and y: a pixel's
// width is proportional to 1 / dpiX, its height to 1 / dpiY. The ratio is reduced to small
// integers; equal resolutions, or ones that are not positive, give 1:1.
TPixelAspect PixelAspectFromDpi(double dpiX, double dpiY);
