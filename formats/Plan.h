#pragma once

#include "formats/Format.h"

#include <QColor>
#include <QSize>
#include <QSizeF>
#include <QString>

namespace draw {
class Surface;
}

namespace output {

// One surface pixel is one module on every surface the renderers draw on: the
// narrow element of the linear symbols is one pixel wide, and the EAN and UPC-A
// surfaces place one module per horizontal unit of one pixel. A module width in
// millimetres therefore scales the whole picture, label and quiet space included,
// so that the file matches the window exactly, only larger.

inline constexpr double kMmPerInch = 25.4;
// A PDF page is measured in these.
inline constexpr double kPointsPerInch = 72.0;

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

} // namespace output
