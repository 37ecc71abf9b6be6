#pragma once

#include <QString>

#include <optional>
#include <string>

namespace draw {
class Surface;
}

namespace linear {

// How the characters of an element string give widths.
enum class Notation {
    NarrowWide, // '0' narrow (1 unit), '1' wide (3 units)
    Modules,    // '1' to '4': the element's width in modules
};

// What an encoder makes of the input: either an element string (odd positions
// bars, even positions spaces, start and stop included) with the text printed
// under it, or the exact message that replaces the symbol.
struct LinearSymbol {
    QString error;
    std::string elements;
    Notation notation = Notation::NarrowWide;
    QString text;  // the data as drawn, without start and stop characters
    QString check; // a check character printed after the text, if any
    bool valid() const { return error.isEmpty(); }
    QString label() const { return text + check; }
};

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

// The message for the leftmost character the symbology cannot encode; a
// character outside the basic plane is named whole rather than by half.
QString invalidCharacterMessage(const QString& text, qsizetype index);

int elementWidth(char element, Notation notation);

// The x after the last element, as drawElements will leave it.
int symbolEnd(const LinearSymbol& symbol, int extraSpace);

// Bars from x = 20, each a run of one-pixel lines from y = 1 to the bar height;
// returns the x after the last element.
int drawElements(draw::Surface& picture, const LinearSymbol& symbol, int barHeight, int extraSpace);

// The common tail of every linear renderer: the message in place of a symbol,
// or bars, label and the picture's new width. Returns the width it set, in twips.
std::optional<double> renderLinear(draw::Surface& picture, const LinearSymbol& symbol, const Layout& layout);

} // namespace linear
