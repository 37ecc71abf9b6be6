#pragma once

#include "draw/Surface.h"

#include <QRectF>

#include <array>

class QObject;

namespace output {

// The window's picture areas. picUPCy is hidden: a blank picture that UPCCode
// lays under each new symbol. picSymbol holds a symbol libzint encodes, sized
// to it, one pixel a module.
enum class SurfaceId { Picture1, picEan, picUPC, picUPCy, picSymbol };

struct SurfaceSpec {
    SurfaceId id;
    const char* name;
    QRectF twips; // left, top, width, height of the picture box in the window
    draw::Surface::Scale scale;
    double labelPoints; // Tahoma at this size; 0 keeps the default font
};

inline constexpr std::array<SurfaceSpec, 5> kSurfaces = {{
    {SurfaceId::Picture1, "Picture1", {1200, 4440, 4635, 1215}, {}, 14.25},
    {SurfaceId::picEan, "picEan", {1200, 4440, 1815, 1095}, {15, 11.55}, 11.25},
    {SurfaceId::picUPC, "picUPC", {1200, 4440, 2055, 1095}, {15, 16.5}, 9.75},
    {SurfaceId::picUPCy, "picUPCy", {120, 5400, 495, 375}, {}, 0},
    {SurfaceId::picSymbol, "picSymbol", {0, 0, 1500, 1500}, {}, 7.5},
}};

const SurfaceSpec& surfaceSpec(SurfaceId id);

// The surface as the window has it, for the window itself, the command line,
// tests and benchmarks alike.
draw::Surface makeSurface(SurfaceId id, QObject* parent = nullptr);

} // namespace output
