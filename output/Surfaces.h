#pragma once

#include "draw/Surface.h"

#include <QRectF>
#include <QStringView>

#include <array>
#include <optional>

class QObject;

namespace output {

// The window's picture areas. picUPCy is hidden: a blank picture that UPCCode
// lays under each new symbol.
enum class SurfaceId { Picture1, picEan, picUPC, picUPCy };

struct SurfaceSpec {
    SurfaceId id;
    const char* name;
    QRectF twips; // left, top, width, height of the picture box in the window
    draw::Surface::Scale scale;
    double labelPoints; // Tahoma at this size; 0 keeps the default font
};

inline constexpr std::array<SurfaceSpec, 4> kSurfaces = {{
    {SurfaceId::Picture1, "Picture1", {1200, 4440, 4635, 1215}, {}, 14.25},
    {SurfaceId::picEan, "picEan", {1200, 4440, 1815, 1095}, {15, 11.55}, 11.25},
    {SurfaceId::picUPC, "picUPC", {1200, 4440, 2055, 1095}, {15, 16.5}, 9.75},
    {SurfaceId::picUPCy, "picUPCy", {120, 5400, 495, 375}, {}, 0},
}};

const SurfaceSpec& surfaceSpec(SurfaceId id);

// The surface as the window has it, for the window itself, the command line,
// tests and benchmarks alike.
draw::Surface makeSurface(SurfaceId id, QObject* parent = nullptr);

// Every symbology the program draws; EAN-8 has no button on view.
enum class Symbology { Code39, Interleaved2of5, Code128, Codabar, Ean13, Jan13, Isbn, UpcA, Ean8 };

struct SymbologyInfo {
    Symbology symbology;
    const char* displayName; // as its button says it
    const char* cliName;     // short, for the command line
    SurfaceId surface;       // where it is drawn
    bool visible;            // has a button on view
};

inline constexpr std::array<SymbologyInfo, 9> kSymbologies = {{
    {Symbology::Code39, "Code 39", "code39", SurfaceId::Picture1, true},
    {Symbology::Interleaved2of5, "Interleaved 2 of 5", "itf", SurfaceId::Picture1, true},
    {Symbology::Code128, "Code 128", "code128", SurfaceId::Picture1, true},
    {Symbology::Codabar, "Codabar", "codabar", SurfaceId::Picture1, true},
    {Symbology::Ean13, "EAN-13", "ean13", SurfaceId::picEan, true},
    {Symbology::Jan13, "JAN-13", "jan13", SurfaceId::picEan, true},
    {Symbology::Isbn, "ISBN", "isbn", SurfaceId::picEan, true},
    {Symbology::UpcA, "UPC-A", "upca", SurfaceId::picUPC, true},
    {Symbology::Ean8, "EAN-8", "ean8", SurfaceId::picEan, false},
}};

const SymbologyInfo& symbologyInfo(Symbology symbology);

// By display name or command-line name, either exactly as the table has it.
std::optional<Symbology> symbologyNamed(QStringView name);

inline SurfaceId surfaceFor(Symbology symbology)
{
    return symbologyInfo(symbology).surface;
}

} // namespace output
