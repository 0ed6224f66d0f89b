#pragma once

#include <QRect>

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
} // namespace Twips
