#include "formats/SvgFile.h"

#include "draw/Surface.h"
#include "draw/SvgWriter.h"

namespace output {

QByteArray svgFile(const draw::Surface& surface, double moduleMm, QSizeF sizeMm,
                   const draw::Recolour& recolour)
{
    return draw::writeSvg(*surface.recording(), surface.description(),
                          {.size = sizeMm, .unit = "mm", .scale = moduleMm}, recolour);
}

} // namespace output
