#pragma once

#include <QRect>

#include <cmath>

// Positions and sizes of the window's controls are given in twips: 15 twips make one pixel at 96 dpi.
namespace Twips {
constexpr int PerPixel = 15;
constexpr int toPixels(int twips)
{
    return (2 * twips + PerPixel) / (2 * PerPixel);
}
constexpr QRect toPixels(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}
// Where a window of windowPixels goes to be centred on screenPixels: half the free space in
// twips, a half twip going to the even neighbour, back in pixels.
inline int centred(int screenPixels, int windowPixels)
{
    const double twips = std::nearbyint(double(screenPixels - windowPixels) * PerPixel / 2);
    return int(std::lround(twips / PerPixel));
}
} // namespace Twips
