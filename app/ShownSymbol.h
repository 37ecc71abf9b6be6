#pragma once

// What both windows do with the symbol on view beyond showing it: print it and
// drag it out.

#include "desktop/DragData.h"

#include <QString>

#include <memory>

class Platform;
class QPrinter;
class QTemporaryDir;

namespace draw {
class Surface;
}
namespace verify {
struct Request;
}

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
