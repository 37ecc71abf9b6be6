#pragma once

#include "draw/Surface.h"
#include "linear/LinearSymbol.h"

#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>

namespace draw {
class Platform;
}

namespace output {

// The eight symbologies that have a button in the window.
enum class Symbology { Code39, Interleaved2of5, Code128, Codabar, Ean13, Jan13, Isbn, UpcA };

struct SymbologyName {
    Symbology symbology;
    const char* name;  // as typed on a command line
    const char* title; // as the window's button reads
};

inline constexpr std::array<SymbologyName, 8> kSymbologies = {{
    {Symbology::Code39, "code39", "Code 39"},
    {Symbology::Interleaved2of5, "itf", "Interleaved 2 of 5"},
    {Symbology::Code128, "code128", "Code 128"},
    {Symbology::Codabar, "codabar", "Codabar"},
    {Symbology::Ean13, "ean13", "EAN-13"},
    {Symbology::Jan13, "jan13", "JAN-13"},
    {Symbology::Isbn, "isbn", "ISBN"},
    {Symbology::UpcA, "upca", "UPC-A"},
}};

std::optional<Symbology> symbologyFromName(const QString& name);
QString symbologyTitle(Symbology symbology);

// The three option boxes in the window's order, by their captions.
inline constexpr std::array<const char*, 3> kBoxCaptions = {"Optimize for Printing", "Add Label",
                                                            "Add Check Character"};

struct SettledOptions {
    linear::Options options;
    // Indexes into kBoxCaptions of the boxes the window fixes to another value
    // than the one asked for.
    std::vector<int> overruled;
};

// The option values the window draws with once the symbology is chosen: where
// it greys a box, the box holds the value the window gives it, whatever was asked.
SettledOptions settleOptions(Symbology symbology, const linear::Options& asked);

// One set of picture areas, made as the window makes its own, so that a symbol
// drawn here is pixel for pixel the one the window shows. Not shared between
// threads: every worker owns one.
class SymbolSurfaces {
  public:
    // An empty family keeps the window's label font, Tahoma.
    explicit SymbolSurfaces(const QString& labelFont = QString());
    ~SymbolSurfaces();
    SymbolSurfaces(const SymbolSurfaces&) = delete;
    SymbolSurfaces& operator=(const SymbolSurfaces&) = delete;

    draw::Surface& Picture1() { return *m_picture1; }
    draw::Surface& picEan() { return *m_picEan; }
    draw::Surface& picUPC() { return *m_picUPC; }
    const draw::Surface& picUPCy() const { return *m_picUPCy; }
    draw::Platform& platform() { return *m_platform; }

  private:
    std::unique_ptr<draw::Surface> m_picture1;
    std::unique_ptr<draw::Surface> m_picEan;
    std::unique_ptr<draw::Surface> m_picUPC;
    std::unique_ptr<draw::Surface> m_picUPCy;
    std::unique_ptr<draw::Platform> m_platform;
};

// Either the surface that holds the symbol, ready to export, or the message the
// window shows instead: in the picture ("X is Invalid", "Invalid Character(s)"),
// in the EAN/UPC hint label, or in the box asking for data.
struct SymbolResult {
    draw::Surface* surface = nullptr;
    QString message;
    bool ok() const { return surface != nullptr; }
};

// Draws the data as the window does after the symbology's button and the text
// were entered with these option values (settled as above).
SymbolResult drawSymbol(SymbolSurfaces& surfaces, Symbology symbology, const QString& data,
                        const linear::Options& options);

} // namespace output
