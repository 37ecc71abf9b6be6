#pragma once

#include <QImage>
#include <QString>

class QPagedPaintDevice;

namespace draw {
class Surface;
}

namespace ean {

// A symbol counts as present while picEan is white: the code-set display
// paints it another colour.
bool symbolPresent(const draw::Surface& picEan);

inline constexpr int kPrinterError = 482; // the number printing errors have always carried

struct PrintOutcome {
    bool printed = false;
    QString device;      // the printer's name, or the file printed to
    QString error;       // why not
    int errorNumber = 0; // shown in the message title
};

// One page: the caption "EAN 13 Code: " with the code in Courier New bold at
// (200, 200) twips, the image at its natural size at (200, 1600) twips, from
// the top left of the printable area. A printer that fails is aborted.
PrintOutcome printEan(QPagedPaintDevice& device, const QString& code, const QImage& image);

} // namespace ean
