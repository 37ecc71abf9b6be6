#pragma once

#include "draw/Recording.h"

#include <QByteArray>
#include <QSizeF>

namespace draw {
class Surface;
}

namespace output {

// The surface as an SVG file `sizeMm` large, one surface pixel `moduleMm`
// millimetres: bars as rectangles at whole coordinates, text as text, in the
// colours `recolour` gives. Written directly rather than through a painter: a
// painter's SVG writes each rectangle in a group of its own with its matrix and
// font, formatted number by number, which made a batch of labels in SVG ten
// times slower than in PNG.
QByteArray svgFile(const draw::Surface& surface, double moduleMm, QSizeF sizeMm,
                   const draw::Recolour& recolour);

} // namespace output
