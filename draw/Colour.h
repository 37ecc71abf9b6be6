#pragma once

#include <QColor>
#include <cstdint>

namespace draw {

// Colours are kept as the 32-bit values of the window data: 0x00BBGGRR for an RGB
// colour, 0x800000nn for system colour nn.
using Colour = std::uint32_t;

inline constexpr Colour kBlack = 0x000000;
inline constexpr Colour kWhite = 0xFFFFFF;
inline constexpr Colour kLightGrey = 0xE0E0E0;
inline constexpr Colour kActiveBorder = 0x8000000A;
inline constexpr Colour kButtonText = 0x80000012;

QColor toQColor(Colour colour);

// The same colour as a QRgb; plain RGB values need no lookup.
inline QRgb toRgb(Colour colour)
{
    if (colour & 0x80000000u)
        return toQColor(colour).rgb();
    return qRgb(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

} // namespace draw
