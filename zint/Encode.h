#pragma once

// The data-to-encoder half of the adapter, QtCore and libzint alone: the data
// checked and put as libzint takes it, encoded to its vector layout, and what
// went wrong said in the program's own words. The fuzz target links only this.

#include "zint/Symbols.h"

#include <QString>

#include <memory>

struct zint_symbol;

namespace zintsym {

struct SymbolDeleter {
    void operator()(zint_symbol* symbol) const;
};
using SymbolPtr = std::unique_ptr<zint_symbol, SymbolDeleter>;

struct Encoding {
    // Laid out at one unit a module: as libzint's bitmap where `bitmap` is set
    // (a byte a pixel, its colour codes '0', '1' and the colours' letters),
    // else as its vector layout; null on an error.
    SymbolPtr symbol;
    bool bitmap = false;
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

// Never throws.
Encoding encode(const Kind& kind, const QString& data, const Options& options);

// libzint's option values for the chosen level and size; 0 (its default)
// where none was chosen or the kind has none.
int eccOption(const Kind& kind, const QString& level);

} // namespace zintsym
