#pragma once

#include "jobs/Surfaces.h"
#include "zint/Symbols.h"

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <span>

namespace output {

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

// By command-line name (code39, itf, ...), in any case.
std::optional<Symbology> symbologyFromName(const QString& name);
QString symbologyTitle(Symbology symbology);

// Every symbology beyond these is libzint's (zint/Symbols.h), drawn on
// SurfaceId::picSymbol. By its name or title, in any case; nullptr for a name
// one of the window's buttons answers to, which keeps its own encoder.
const zintsym::Kind* libraryKindNamed(QStringView name);
std::span<const zintsym::Kind> libraryKinds();

inline SurfaceId surfaceFor(Symbology symbology)
{
    return symbologyInfo(symbology).surface;
}

} // namespace output
