#pragma once

#include <QString>

class Platform;
class QPrinter;

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
