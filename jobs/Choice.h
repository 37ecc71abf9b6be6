#pragma once

#include "ean/PrintedCode.h"
#include "jobs/SymbolJob.h"
#include "zint/Symbols.h"

#include <optional>

namespace output {

// What the library draws instead of the window's encoders: a symbology of its
// own, or the window's EAN-13 family with an add-on or in the standard
// proportions (nothing of the window's own drawing changes).
struct LibraryChoice {
    const zintsym::Kind* kind = nullptr;
    zintsym::Options options;
    bool standardProportions = false;
};

// The window's EAN-13, JAN-13, ISBN and UPC-A: the ones the library can draw
// to the standard's proportions and with an add-on.
bool isEanFamily(Symbology symbology);

// The library's symbology that draws the choice, or nullptr when the window's
// own encoder does.
const zintsym::Kind* drawingKind(Symbology symbology, const LibraryChoice& library);

// The printed form whose numbers the data is, for the EAN/UPC symbologies of
// the window and of the library.
std::optional<ean::PrintedForm> printedFormOf(Symbology symbology);
std::optional<ean::PrintedForm> printedFormOf(const zintsym::Kind& kind);

// The name people know the choice by: "QR Code", "EAN-13".
QString choiceTitle(Symbology symbology, const LibraryChoice& library);

// Draws the data as the window does, or through the library where the choice
// says so. EAN/UPC data is taken as printed (printedCode()): a wrong check
// digit is refused with the right one named.
SymbolResult drawChosen(SymbolSurfaces& surfaces, Symbology symbology, const linear::Options& options,
                        const LibraryChoice& library, const QString& data);

} // namespace output
