#include "linear/LinearRenderer.h"

#include "draw/Geometry.h"
#include "draw/Surface.h"

#include <algorithm>
#include <vector>

namespace linear {

namespace {

// The bars of the element string from x = 20, each a run of one-unit columns
// from y = 1 to the bar height; returns the x after the last element.
int layoutBars(const LinearSymbol& symbol, int barHeight, int extraSpace, draw::Colour ink,
               std::vector<draw::Surface::Bar>& bars)
{
    bars.clear();
    bars.reserve(symbol.elements.size() / 2 + 1);
    int x = kFirstBarX;
    bool bar = true;
    for (const char element : symbol.elements) {
        const int width = elementWidth(element, symbol.notation);
        if (bar) {
            bars.push_back({x, width, barHeight, ink});
            x += width;
        } else {
            x += width + extraSpace;
        }
        bar = !bar;
    }
    return x;
}

} // namespace

std::optional<double> renderLinear(draw::Surface& picture, const LinearSymbol& symbol, const Layout& layout)
{
    if (!symbol.valid()) {
        picture.Print(symbol.error);
        picture.setDescription(symbol.error);
        return std::nullopt;
    }
    const QString label = symbol.label();
    picture.setDescription(label);
    // With a label the bars stop short so the text fits under them.
    const int barHeight = layout.label ? 50 : 58;
    // Kept between redraws: a symbol's bars are laid out on every keystroke.
    thread_local std::vector<draw::Surface::Bar> bars;
    const int x = layoutBars(symbol, barHeight, layout.extraSpace, picture.ForeColor(), bars);
    // One growth of the image for bars and label together: long symbols are
    // hundreds of thousands of pixels wide.
    const int labelEnd = layout.label ? picture.toPixelX(layout.labelX) + picture.textWidth(label) : 0;
    picture.extendTo(std::max(x, labelEnd));
    picture.Bars(1, bars);
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
