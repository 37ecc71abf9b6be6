#pragma once

#include "draw/Recording.h"

#include <QByteArray>
#include <QSizeF>

namespace draw {
class Surface;
}

namespace output {

// The surface as an SVG file `sizeMm` large, one surface pixel `moduleMm`
// millimetres, in the colours `recolour` gives.
QByteArray svgFile(const draw::Surface& surface, double moduleMm, QSizeF sizeMm,
                   const draw::Recolour& recolour);

} // namespace output
