#pragma once

#include "output/Export.h"
#include "verify/ScanCheck.h"

namespace draw {
class Surface;
}

namespace verify {

// What a decoder makes of an export as it was written: the picture drawn again
// at the export's whole pixels per module in its colours, for a vector file at
// the resolution in `settings.dpi`, for a printed page at the printer's. A
// transparent background is read on white paper. The window and the command
// line both warn with it after a file or a page is written; they never refuse.
Verdict checkExport(const draw::Surface& surface, const output::ExportSettings& settings, Symbology symbology,
                    const Context& context);

} // namespace verify
