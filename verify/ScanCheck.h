#pragma once

#include <QImage>
#include <QMetaType>
#include <QString>

#include <optional>

namespace verify {

// The symbologies this program draws, as the decoder knows them. JAN-13 and
// ISBN are EAN-13 symbols.
enum class Symbology { Code39, Interleaved2of5, Code128, Codabar, Ean13, Ean8, UpcA };

// A symbology libzint draws (zint/Symbols.h), as the decoder knows it:
// ZXing-cpp's format name ("QRCode", "DataMatrix", "EAN13", ...), or nullptr
// where no decoder reads it; and its title, which the verdict then names.
struct LibrarySymbology {
    const char* decoder = nullptr;
    QString title;
};

// What the explanation of a failure may need beyond the image.
struct Context {
    // The data the symbol should read as, as a decoder returns it (check
    // character included, start and stop characters left out); empty when
    // unknown, and then any reading counts.
    QString expected;
    // "Optimize for Printing" was on when the symbol was drawn.
    bool optimize = false;
    // Output dots per module where the image is bound for a device (a printer
    // page); 0 when the image itself is what is handed out.
    double dotsPerModule = 0;
};

struct Verdict {
    enum class Outcome {
        Read,    // the decoder read the expected data
        Misread, // the decoder read something else
        NotRead, // the decoder found no symbol
        // No decoder reads the symbology: neither read nor a failure, never
        // counted as either.
        NotChecked,
    };
    Outcome outcome = Outcome::NotRead;
    QString text;   // what the decoder read; empty when it read nothing
    QString reason; // why it did not read as expected, where that is known
    QString symbology; // the symbology's title where it was not checked

    static Verdict notChecked(const QString& title);
    bool checked() const { return outcome != Outcome::NotChecked; }

    bool reads() const { return outcome == Outcome::Read; }
    // One line for a status area or a warning: what the decoder said.
    QString headline() const;
    // The headline with the reason, for a tooltip or a message.
    QString details() const;
};

// One picture to check and what it should read as.
struct Request {
    Symbology symbology = Symbology::Code128;
    QImage image;
    Context context;
    // Set for a symbology libzint draws: then it, not `symbology`, says how
    // the picture is read.
    std::optional<LibrarySymbology> library;
};

// Decodes the image as a scanner would meet it on paper: enlarged by whole
// pixels (never smoothed, so every bar keeps its width ratio), framed by its own
// background colour as a quiet zone, read by ZXing-cpp restricted to one
// symbology. Never throws; an empty image reads as nothing.
Verdict check(Symbology symbology, const QImage& image, const Context& context);
// The same for a symbology libzint draws; with no decoder for it, the verdict
// says so and nothing is read. Add-ons of EAN/UPC are read with the symbol.
Verdict check(const LibrarySymbology& symbology, const QImage& image, const Context& context);
// The request's own symbology, whichever kind it is.
Verdict check(const Request& request);

// The symbol contrast of the image: lightest minus darkest grey level, as a
// fraction of the full range (0 to 1). Print-quality grading fails a symbol
// below 0.2.
double symbolContrast(const QImage& image);
inline constexpr double kMinimumContrast = 0.2;

} // namespace verify

Q_DECLARE_METATYPE(verify::Verdict)
