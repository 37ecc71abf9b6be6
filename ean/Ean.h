#pragma once

#include "draw/Colour.h"
#include "ean/EanEncoder.h"

#include <QString>

#include <optional>
#include <span>
#include <string_view>

namespace draw {
class Surface;
}

namespace ean {

// Modules [first, first + count) of a row.
struct ModuleRun {
    int first;
    int count;
};

// How a module row becomes lines: one line per module from x = firstX, from
// top down to the short bottom, or to the long one inside a long run.
struct ModuleBars {
    int firstX;
    int top;
    int shortBottom;
    int longBottom;
    std::span<const ModuleRun> longRuns; // in order, not overlapping
    draw::Colour dark;
    // Light modules drawn in this colour too, so that nothing underneath shows
    // through; none leaves them untouched.
    std::optional<draw::Colour> light;
};

// The one loop that draws EAN-13, EAN-8 and UPC-A modules.
void drawModules(draw::Surface& picture, std::string_view modules, const ModuleBars& bars);

// Draws the complete code on picEan: guards from y 5 to 72, data bars from 5 to
// 66, digits printed as numbers under them from x = 11.
void DrawEan(draw::Surface& picEan, const QString& code);

} // namespace ean
