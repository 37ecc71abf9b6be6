#pragma once

// Every symbology libzint encodes beyond the window's own eight: its names, what
// it takes, and its symbol drawn as modules on the program's own Surface, so that
// every output path (export, print, copy, drag, batch, sheets, scan check) serves
// it without a second exporter.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <span>

namespace draw {
class Surface;
}

namespace zintsym {

// As users look for them.
enum class Group { Linear, Retail, Gs1, TwoD, Postal, Other };
QString groupTitle(Group group);

// The options a symbology takes (a bit set of these).
enum Option : unsigned {
    Addon = 1u << 0,      // a 2- or 5-digit EAN/UPC add-on
    Ecc = 1u << 1,        // an error correction level
    SymbolSize = 1u << 2, // a 2D symbol's version or size
    Gs1 = 1u << 3,        // data in bracketed AI form, [01]09501101530003[17]261231
    MultiLine = 1u << 4,  // the data may hold line breaks (2D symbols)
    Eci = 1u << 5,        // UTF-8 beyond Latin-1 goes in with the ECI it needs
};

struct Kind {
    int id;                  // libzint's BARCODE_* number
    const char* name;        // for the command line: "qr", "datamatrix", "gs1-128", ...
    const char* title;       // for people: "QR Code", "Data Matrix", "GS1-128", ...
    Group group;
    const char* description; // one line: what it is for
    const char* data;        // one line: the data it takes
    unsigned options;        // Option bits
    const char* decoder;     // ZXing-cpp's BarcodeFormat name that reads it, or nullptr
};

// Every symbology of the installed libzint, common ones under short names, the
// rest under names derived from libzint's own; sorted by group, then title.
std::span<const Kind> kinds();
// By name or title, in any case; nullptr when there is none.
const Kind* kindNamed(QStringView name);

// The levels --ecc and the options panel offer ("L", "M", "Q", "H" for QR Code);
// empty when the symbology has none.
QStringList eccLevels(const Kind& kind);
// The sizes --symbol-size and the options panel offer, in order, as people name
// them ("21x21 (version 1)", "10x10", ...); index + 1 is the value of
// Options::symbolSize. Empty when the symbology has no choice of size.
QStringList symbolSizes(const Kind& kind);

struct Options {
    QString addon;       // "", or 2 or 5 digits
    QString ecc;         // "" for the symbology's default, else one of eccLevels()
    int symbolSize = 0;  // 0 automatic, else 1-based index into symbolSizes()
    bool showText = true; // the human-readable text where the symbology has one
};

struct Drawn {
    QString error;   // the program's own plain words, empty when drawn
    QString reading; // what a decoder reads from it (check digits, add-on and AIs as scanners return them)
    bool ok() const { return error.isEmpty(); }
};

// Encodes and draws the symbol at one surface pixel per module (X-dimension),
// with the quiet zones its standard asks for, replacing what the surface held.
// Never throws; bad data leaves a message and draws nothing.
Drawn draw(draw::Surface& surface, const Kind& kind, const QString& data, const Options& options);

} // namespace zintsym
