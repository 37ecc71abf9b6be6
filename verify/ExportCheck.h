#pragma once

#include <functional>

#include "formats/Export.h"
#include "jobs/SymbolJob.h"
#include "jobs/Symbologies.h"
#include "verify/ScanCheck.h"

namespace draw {
class Surface;
}

namespace verify {

// What a decoder makes of an export as it was written: the picture drawn again
// at the export's whole pixels per module in its colours, for a vector file at
// the resolution in `settings.dpi`, for a printed page at the printer's. A
// transparent background is read on white paper. The window and the command
// line warn with it after a file or a page is written; only --verify refuses
// a file that does not read back.
Verdict checkExport(const draw::Surface& surface, const output::ExportSettings& settings, Symbology symbology,
                    const Context& context);
// The same check of a picture output::render() already made.
Verdict checkRendered(const QImage& picture, Symbology symbology, const Context& context);

// The same checks of a symbology libzint draws.
Verdict checkExport(const draw::Surface& surface, const output::ExportSettings& settings,
                    const LibrarySymbology& symbology, const Context& context);
Verdict checkRendered(const QImage& picture, const LibrarySymbology& symbology, const Context& context);

// The decoder's name for a symbology: JAN-13 and ISBN are EAN-13 symbols.
Symbology decoderSymbology(output::Symbology symbology);

// A batch's check of each line's picture against what the line should read
// as; why it does not read, or nothing when it does.
output::ReadBack lineCheck(output::Symbology symbology, bool optimize);

// How the decoder knows a symbology libzint draws.
LibrarySymbology decoderSymbology(const zintsym::Kind& kind);
// The batch's check of a libzint symbology; none (an empty function) where no
// decoder reads it: its files are written unread, and the caller says so with
// Verdict::notChecked rather than count them read or refused.
output::ReadBack lineCheck(const zintsym::Kind& kind);

} // namespace verify
