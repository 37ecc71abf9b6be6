#pragma once

#include <QColor>
#include <cstdint>

namespace draw {

// Colours are kept as 32-bit values, as the window's colour properties take
// them: 0x00BBGGRR for an RGB colour, 0x800000nn for system colour nn.
using Colour = std::uint32_t;

inline constexpr Colour kBlack = 0x000000;
inline constexpr Colour kWhite = 0xFFFFFF;
inline constexpr Colour kLightGrey = 0xE0E0E0;
inline constexpr Colour kActiveBorder = 0x8000000A;
inline constexpr Colour kButtonText = 0x80000012;

constexpr QRgb toRgb(Colour colour)
{
    if (colour & 0x80000000u) {
        // System colours follow the standard scheme rather than the desktop theme:
        // bars must stay black on white whatever the user's palette is.
        switch (colour & 0xFFu) {
        case 0x0A: return qRgb(180, 180, 180); // active window border
        case 0x05: return qRgb(255, 255, 255); // window background
        case 0x0F: return qRgb(240, 240, 240); // button face
        default: return qRgb(0, 0, 0);         // button text and the rest
        }
    }
    return qRgb(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

inline QColor toQColor(Colour colour)
{
    return QColor::fromRgb(toRgb(colour));
}

} // namespace draw
