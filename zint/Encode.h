#pragma once

// The data-to-encoder half of the adapter, QtCore and libzint alone: the data
// checked and put as libzint takes it, encoded to its vector layout, and what
// went wrong said in the program's own words. The fuzz target links only this.

#include "zint/Symbols.h"

#include <QString>

#include <memory>
#include <vector>

struct zint_symbol;

namespace draw {
class Surface;
}

namespace zintsym {

struct SymbolDeleter {
    void operator()(zint_symbol* symbol) const;
};
using SymbolPtr = std::unique_ptr<zint_symbol, SymbolDeleter>;

// How the encoded symbol is laid out for drawing, one unit a module.
enum class Layout {
    Vector, // libzint's vector layout: rectangles, hexagons, circles, texts
    Bitmap, // libzint's bitmap, a byte a pixel: its colour codes '0', '1' and the colours' letters
    Grid,   // libzint's module rows alone, the quiet zones and row heights below put around them
};

struct Encoding {
    // Null on an error.
    SymbolPtr symbol;
    Layout layout = Layout::Vector;
    // For the grid: paper around the rows on every side, and each row's
    // height, in modules.
    int quietZone = 0;
    std::vector<int> rowHeights;
    QString error;
    QString reading;
    bool ok() const { return error.isEmpty(); }
};

// The most characters the adapter hands to libzint: more than any symbol holds.
inline constexpr qsizetype kMaxEncodedLength = 32767;

// Symbols of modules alone (2D and stacked symbols, postal bars: no text, no
// hexagons, no dots) are laid out as libzint's bitmap, one pixel a module:
// libzint merges the rectangles of its vector layout in time that grows with
// the square of their number, which made a PDF417 of 200 characters thirty
// times slower than its bitmap.
bool drawnFromBitmap(const Kind& kind);

// Of those, matrix symbols and PDF417's family are read from libzint's module
// rows directly, with no bitmap made: the bitmap cost libzint as much again
// as encoding a PDF417, and our drawing as much to read it back. The same
// picture, with the same quiet zones; any symbol whose rows are not a whole
// number of modules high still goes through the bitmap. `fromGrid` false
// makes every kind take the bitmap, to compare the two. Never throws.
Encoding encode(const Kind& kind, const QString& data, const Options& options, bool fromGrid = true);

// What draw() draws of an encoding (implemented with the drawing).
void drawEncoding(draw::Surface& surface, const Encoding& encoding);

// libzint's option values for the chosen level and size; 0 (its default)
// where none was chosen or the kind has none.
int eccOption(const Kind& kind, const QString& level);

} // namespace zintsym
