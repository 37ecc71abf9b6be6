#pragma once

// What both windows do with the symbol on view beyond showing it: export,
// print and drag it out.

#include "desktop/DragData.h"

#include <QString>

#include <memory>

class Platform;
class QPrinter;
class QTemporaryDir;
class QWidget;

namespace draw {
class Surface;
}
namespace output {
struct ExportSettings;
}
namespace verify {
struct Request;
}

// Asks where to export the symbol on view, proposing `fileName` in the last
// export's folder, writes it as `settings` say and reads the file back by the
// request's own decoder; says through the platform why when it cannot, or
// when the file does not read as the data.
void exportShownSymbol(Platform& platform, QWidget* parent, const draw::Surface& surface,
                       const output::ExportSettings& settings, const verify::Request& shown,
                       const QString& fileName);

// Prints the symbol on view at the module size of the last export, the caption
// under it unless empty, and says through the platform why when it cannot. With
// `checkPage` (a page printed, not a preview) the page is read back as the
// printer's dots make it, by the decoder of the request's own symbology, window's
// or library's, and a page that does not read as the data is warned about.
void printShownSymbol(Platform& platform, QPrinter& printer, const draw::Surface& surface,
                      const verify::Request& shown, const QString& caption, bool checkPage);

// The symbol on view written as `fileName` (PNG, at the last export's size)
// into `folder`, which is made, or made again when it has gone, for dragging
// out; why not when it cannot be.
output::DragData dragShownSymbol(std::unique_ptr<QTemporaryDir>& folder, const draw::Surface& surface,
                                 const QString& fileName);
