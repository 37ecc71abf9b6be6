#pragma once

#include <QRect>
#include <cmath>

namespace draw {

// Window data is kept in twips; at 96 dots per inch a pixel is 15 twips. Qt's
// high-dpi scaling takes it from there, so the conversion stays fixed.
inline constexpr double kTwipsPerPixel = 15.0;

inline int twipsToPixels(double twips)
{
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}
inline double pixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

inline QRect twipsRect(double left, double top, double width, double height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

} // namespace draw
