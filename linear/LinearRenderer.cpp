#include "linear/LinearRenderer.h"

#include "draw/Geometry.h"
#include "draw/Surface.h"

#include <algorithm>

namespace linear {

int symbolEnd(const LinearSymbol& symbol, int extraSpace)
{
    int x = kFirstBarX;
    bool bar = true;
    for (const char element : symbol.elements) {
        x += elementWidth(element, symbol.notation) + (bar ? 0 : extraSpace);
        bar = !bar;
    }
    return x;
}

int drawElements(draw::Surface& picture, const LinearSymbol& symbol, int barHeight, int extraSpace)
{
    int x = kFirstBarX;
    bool bar = true;
    for (const char element : symbol.elements) {
        const int width = elementWidth(element, symbol.notation);
        if (bar) {
            picture.Lines(x, 1, barHeight, width);
            x += width;
        } else {
            x += width + extraSpace;
        }
        bar = !bar;
    }
    return x;
}

std::optional<double> renderLinear(draw::Surface& picture, const LinearSymbol& symbol, const Layout& layout)
{
    if (!symbol.valid()) {
        picture.Print(symbol.error);
        picture.setDescription(symbol.error);
        return std::nullopt;
    }
    const QString label = symbol.label();
    picture.setDescription(label);
    // One growth of the image for bars and label together: long symbols are
    // hundreds of thousands of pixels wide.
    const int end = symbolEnd(symbol, layout.extraSpace);
    const int labelEnd = layout.label ? picture.toPixelX(layout.labelX) + picture.textWidth(label) : 0;
    picture.extendTo(std::max(end, labelEnd));
    // With a label the bars stop short so the text fits under them.
    const int barHeight = layout.label ? 50 : 58;
    const int x = drawElements(picture, symbol, barHeight, layout.extraSpace);
    if (layout.label) {
        picture.setCurrentX(layout.labelX);
        picture.setCurrentY(kLabelY);
        picture.Print(label);
    }
    // A label longer than its bars (long runs of digits, whose glyphs are
    // wider than their characters) widens the picture with the same margin the
    // bars get, rather than losing its end.
    const double width = std::max(x * layout.twipsPerUnit + 500, labelEnd * draw::kTwipsPerPixel + 500);
    picture.setWidth(width);
    return picture.Width();
}

} // namespace linear
