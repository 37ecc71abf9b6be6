#pragma once

#include <QString>

#include <string>

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

// The message for the leftmost character the symbology cannot encode; a
// character outside the basic plane is named whole rather than by half.
QString invalidCharacterMessage(const QString& text, qsizetype index);

// Inline: it runs for every element of every redraw.
inline int elementWidth(char element, Notation notation)
{
    if (notation == Notation::Modules)
        return element - '0';
    return element == '1' ? 3 : 1;
}

} // namespace linear
