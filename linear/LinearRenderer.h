#pragma once

#include "linear/LinearSymbol.h"

#include <optional>

namespace draw {
class Surface;
}

namespace linear {

// The three option boxes as the renderers read them: 0 clear, 1 checked.
struct Options {
    int optimize = 1; // "Optimize for Printing"
    int label = 1;    // "Add Label"
    int check = 0;    // "Add Check Character"
};

// Where the renderers differ in drawing an encoded symbol.
struct Layout {
    int extraSpace = 0;       // pixels added to every space
    double labelX = 0;        // where the label starts
    double twipsPerUnit = 15; // for sizing the picture from the final x
    bool label = true;
};

inline constexpr int kFirstBarX = 20;
inline constexpr int kLabelY = 50;

// The common tail of every linear renderer: the message in place of a symbol,
// or bars, label and the picture's new width. Returns the width it set, in twips.
std::optional<double> renderLinear(draw::Surface& picture, const LinearSymbol& symbol, const Layout& layout);

} // namespace linear
