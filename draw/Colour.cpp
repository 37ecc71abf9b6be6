#include "draw/Colour.h"

namespace draw {

QColor toQColor(Colour colour)
{
    if (colour & 0x80000000u) {
        // System colours follow the standard scheme rather than the desktop theme:
        // bars must stay black on white whatever the user's palette is.
        switch (colour & 0xFFu) {
        case 0x0A: return QColor(180, 180, 180); // active window border
        case 0x05: return Qt::white;             // window background
        case 0x0F: return QColor(240, 240, 240); // button face
        default: return Qt::black;               // button text and the rest
        }
    }
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

} // namespace draw
