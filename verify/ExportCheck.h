#pragma once

#include "output/Export.h"
#include "output/Surfaces.h"
#include "verify/ScanCheck.h"

#include <QString>

namespace draw {
class Surface;
}

namespace verify {

// The decoder's name for a symbology the program draws.
Symbology symbologyOf(output::Symbology symbology);

// Reads the export as a scanner meets it on paper: the pixels the file holds
// (a vector file at the settings' resolution), a transparent background
// over white. `context.expected` is what it should read as.
Verdict checkExport(const draw::Surface& surface, const output::ExportSettings& settings, Symbology symbology,
                    const Context& context);

// The same when the symbology is not known: each one the program draws is
// tried until one reads the expected data.
Verdict checkExport(const draw::Surface& surface, const output::ExportSettings& settings,
                    const QString& expected);

} // namespace verify
