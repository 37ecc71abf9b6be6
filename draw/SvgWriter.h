#pragma once

#include "draw/Recording.h"

#include <QByteArray>
#include <QSizeF>
#include <QString>

namespace draw {

// Text as XML holds it: escaped, and without the characters XML 1.0 cannot
// hold at all (an invalid control character named in a message, an unpaired
// surrogate), which would make the whole file unreadable.
QString svgText(const QString& text);

// How large an SVG says it is: `size` in `unit` ("mm", or "" for user units),
// one recorded pixel being `scale` of those units.
struct SvgPage {
    QSizeF size;
    const char* unit = "";
    double scale = 1;
};

// The one SVG writer, for files, drags, the clipboard and tests alike: bars as
// rectangles at whole coordinates, text as text, in the colours `recolour`
// gives. Written directly rather than through a painter: a painter's SVG puts
// each rectangle in a group of its own with its matrix and font, formatted
// number by number, which made a batch of labels in SVG ten times slower than
// in PNG and a long symbol's clipboard copy take seconds and hundreds of MB.
QByteArray writeSvg(const Recording& recording, const QString& title, const SvgPage& page,
                    const Recolour& recolour = {});

} // namespace draw
