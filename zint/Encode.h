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
    SymbolPtr symbol; // with its vector layout, one unit a module; null on an error
    QString error;
    QString reading;
    bool ok() const { return error.isEmpty(); }
};

// The most characters the adapter hands to libzint: more than any symbol holds.
inline constexpr qsizetype kMaxEncodedLength = 32767;

// Never throws.
Encoding encode(const Kind& kind, const QString& data, const Options& options);

// libzint's option values for the chosen level and size; 0 (its default)
// where none was chosen or the kind has none.
int eccOption(const Kind& kind, const QString& level);

} // namespace zintsym
