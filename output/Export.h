#pragma once

#include "output/SaveFile.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <functional>

#include <optional>

class QPagedPaintDevice;
class QPrinter;

namespace draw {
class Surface;
}

namespace output {

// One surface pixel is one module on every surface the renderers draw on: the
// narrow element of the linear symbols is one pixel wide, and the EAN and UPC-A
// surfaces place one module per horizontal unit of one pixel. A module width in
// millimetres therefore scales the whole picture, label and quiet space included,
// so that the file matches the window exactly, only larger.

enum class Format { Png, Svg, Pdf, Bmp, Tiff };

// The sizes both front ends take, the Export dialog's boxes and the command line
// alike: a plan refuses anything outside them.
inline constexpr double kMinModuleMm = 0.01; // finer than any printer's dot
inline constexpr double kMaxModuleMm = 25.4; // one module an inch wide is already a poster
inline constexpr int kMinDpi = 1;
inline constexpr int kMaxDpi = 9600;

struct ExportSettings {
    Format format = Format::Png;
    double moduleMm = 0.33;
    int dpi = 300; // pixel formats only
    // Used opaque: a background is either painted or, with `transparent`, left out.
    QColor foreground = Qt::black;
    QColor background = Qt::white;
    bool transparent = false; // PNG, SVG and PDF only
};

// What a file will be, before it is written. A vector file has no pixels; it
// gets the module width exactly as asked (a PDF page is the symbol's size
// rounded up to whole points).
struct ExportPlan {
    QString error;   // why it cannot be written; empty when it can
    QString warning; // written as asked, but it may not scan
    int pixelsPerModule = 0;
    double moduleMm = 0; // as obtained after rounding to whole pixels
    QSize sizePixels;    // empty for vector formats
    QSizeF sizeMm;
    bool ok() const { return error.isEmpty(); }
};

struct Encoded {
    QByteArray bytes;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

struct Rendered {
    QImage image;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

struct PrintResult {
    QString error;
    int dotsPerModuleX = 0;
    int dotsPerModuleY = 0;
    double moduleMm = 0; // across the bars, as obtained on that printer
    bool ok() const { return error.isEmpty(); }
};

// Names as a user sees them ("PNG") and the file suffix without the dot ("png").
QString formatName(Format format);
QString formatSuffix(Format format);
std::optional<Format> formatFromSuffix(const QString& suffix);
bool isVector(Format format);
bool allowsTransparency(Format format);
// Whether this installation can write the format: TIFF needs an image plugin.
bool isAvailable(Format format);
QList<Format> availableFormats();

// Why a module this wide cannot be drawn, or nothing.
QString checkModule(double moduleMm);
// The whole number of dots, at least one, nearest to a module at `dpi`.
int wholeDots(double moduleMm, double dpi);

// The pixels of the picture that export scales: the surface's whole image.
QSize surfaceSize(const draw::Surface& surface);

ExportPlan plan(QSize surfacePixels, const ExportSettings& settings);
ExportPlan plan(const draw::Surface& surface, const ExportSettings& settings);

// "3 pixels per module, so a module 0.254 mm wide.": what a pixel format's plan
// makes of the module width, as the Export dialog shows it.
QString pixelsPerModuleText(const ExportPlan& plan);
// The same words when the whole pixels per module make a module more than a
// tenth wider or narrower than `askedMm`; empty when they do not, and for vector
// formats, which are exact.
QString moduleRounding(const ExportPlan& plan, double askedMm);

// The whole picture drawn again at the plan's whole pixels per module: every
// bar a whole number of pixels, never resampled, the label set at that size.
// The image carries the chosen resolution; its pixels index a palette of the
// chosen colours, by how much ink each holds.
Rendered render(const draw::Surface& surface, const ExportSettings& settings);

// The file's contents, for a file, a drag or standard output alike.
Encoded encode(const draw::Surface& surface, const ExportSettings& settings);
// The contents of a pixel format's file from the picture render() made for it:
// a caller that also reads the picture back draws it once.
Encoded encodePicture(const QImage& picture, Format format);

// Writes the file whole or not at all: a failure leaves an existing file as it was.
SaveResult write(const draw::Surface& surface, const ExportSettings& settings, const QString& path);

// The picture at its true size on the page, at the top-left of the printable
// area: each module the whole number of printer dots nearest to `moduleMm`,
// the caption under it unless empty. Nothing is printed when it does not fit.
// In its own library (output_print): what only writes files loads no printing.
PrintResult printSymbol(QPagedPaintDevice& device, const draw::Surface& surface, double moduleMm,
                        const QString& caption = QString());
// The same on a printer. One that writes a PDF file ("Print to File", or no
// printer installed) gets the file whole or not at all, as an export does: an
// older file stays when the new one cannot be written.
PrintResult printSymbol(QPrinter& printer, const draw::Surface& surface, double moduleMm,
                        const QString& caption = QString());
// Paints a document on a printer; why it failed, or nothing. Printed to a PDF
// file, the pages are made in memory and the file is put in place whole or
// not at all, as an export is: a printer writing the file itself ignores
// failed writes, leaving an empty or cut file and an older one gone.
QString printPages(QPrinter& printer, const std::function<QString(QPagedPaintDevice&)>& paint);

} // namespace output
