#pragma once

#include "draw/Surface.h"
#include "formats/Export.h"
#include "jobs/Surfaces.h"
#include "jobs/Symbologies.h"
#include "linear/LinearRenderer.h"
#include "zint/Symbols.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace output {

// The most characters the window's data box takes (a line edit's own limit).
// Longer data is refused before anything is drawn, from any front end: a
// symbol of millions of characters would take gigabytes to draw.
inline constexpr qsizetype kMaxDataLength = 32767;
QString dataTooLongMessage();

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
    // Where the symbologies libzint encodes are drawn.
    draw::Surface& picSymbol() { return *m_picSymbol; }

  private:
    std::unique_ptr<draw::Surface> m_picture1;
    std::unique_ptr<draw::Surface> m_picEan;
    std::unique_ptr<draw::Surface> m_picUPC;
    std::unique_ptr<draw::Surface> m_picUPCy;
    std::unique_ptr<draw::Surface> m_picSymbol;
};

// Either the surface that holds the symbol, ready to export, or the message the
// window shows instead: in the picture ("X is Invalid", "Invalid Character(s)"),
// in the EAN/UPC hint label, or in the box asking for data.
struct SymbolResult {
    draw::Surface* surface = nullptr;
    QString message;
    // What a decoder reads from the symbol: the data with any check character
    // the symbol carries, without start and stop characters.
    QString reading;
    // The blank its standard asks beside the bars, in modules (surface
    // pixels), left and right: a label keeps only the inked part of the
    // picture and these. -1: the picture's own margins are its quiet zones.
    int quietLeft = -1;
    int quietRight = -1;
    bool ok() const { return surface != nullptr; }
};

// Draws the data as the window does after the symbology's button and the text
// were entered with these option values (settled as above).
SymbolResult drawSymbol(SymbolSurfaces& surfaces, Symbology symbology, const QString& data,
                        const linear::Options& options);

// A symbology libzint encodes, drawn on picSymbol with the same refusals of
// no data and of too much; libzint's refusals in the program's words.
SymbolResult drawSymbol(SymbolSurfaces& surfaces, const zintsym::Kind& kind, const QString& data,
                        const zintsym::Options& options);

// Reads a symbol's picture back as a decoder would: the picture as render()
// makes it for the file, and what it should read as. Returns why it does not
// read back, or nothing.
using ReadBack = std::function<QString(const QImage& picture, const QString& reading)>;

struct CheckedFile {
    Encoded file;   // its error says why it was not made
    QString unread; // why the picture does not read back; empty when it does or was not read
};

// The file of a drawn symbol, its picture read back first when `readBack` is
// given; the picture is drawn once for both. With `refuseUnread` a picture that
// does not read back makes no file.
CheckedFile encodeChecked(const SymbolResult& symbol, const ExportSettings& settings,
                          const ReadBack& readBack, bool refuseUnread);

} // namespace output
