#include "output/Export.h"

#include "draw/Surface.h"
#include "output/PngWriter.h"
#include "output/SvgFile.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace output {

namespace {

constexpr double kMmPerInch = 25.4;
// Four bytes a pixel: beyond this a picture takes more memory than a desktop
// can spare, and no label printer needs it.
constexpr qint64 kMaxPixels = qint64(1) << 27;
// Symbol contrast (difference of reflectances, 0 to 1) below this grades D or
// worse in the print-quality grading of ISO/IEC 15416.
constexpr double kMinContrast = 0.4;
// PDF coordinates are this fine; the module is exact in the file regardless.
constexpr int kPdfDotsPerInch = 1200;
constexpr double kPointsPerInch = 72.0;
// The largest page a PDF reader must accept (PDF 1.7, Annex C): 200 inches.
constexpr double kMaxPdfPoints = 14400;
// A module this much off the asked width changes the symbol's size visibly.
constexpr double kRoundingNoted = 0.1;

// Relative luminance of an sRGB colour, which stands in for reflectance on paper.
double luminance(const QColor& colour)
{
    const auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

QString contrastWarning(const ExportSettings& settings)
{
    if (settings.transparent)
        return {}; // the background is whatever the symbol lands on
    const double bars = luminance(settings.foreground);
    const double space = luminance(settings.background);
    if (bars > space)
        return QStringLiteral("Light bars on a dark background: many scanners cannot read them.");
    if (space - bars < kMinContrast)
        return QStringLiteral("The bars and the background differ little: scanners may not read the symbol.");
    return {};
}

// What each shade of the recorded drawing becomes, by how much ink it holds:
// the renderers draw black ink on white paper, antialiased text in greys.
using Palette = std::array<QRgb, 256>;

Palette palette(const ExportSettings& settings)
{
    const QRgb fg = settings.foreground.rgb();
    const QRgb bg = settings.background.rgb();
    Palette colours{};
    for (int ink = 0; ink < 256; ++ink) {
        if (settings.transparent) {
            colours[size_t(ink)] = qRgba(qRed(fg), qGreen(fg), qBlue(fg), ink);
            continue;
        }
        const auto mix = [ink](int f, int b) { return (f * ink + b * (255 - ink) + 127) / 255; };
        colours[size_t(ink)] =
            qRgb(mix(qRed(fg), qRed(bg)), mix(qGreen(fg), qGreen(bg)), mix(qBlue(fg), qBlue(bg)));
    }
    return colours;
}

int inkOf(QRgb recorded)
{
    return 255 - qGray(recorded);
}

// Vector output is recoloured as it is drawn, by the same palette as the pixels.
draw::Surface::Recolour recolour(const ExportSettings& settings)
{
    return [colours = palette(settings)](QRgb recorded) {
        return QColor::fromRgba(colours[size_t(inkOf(recorded))]);
    };
}

const char* writerFormat(Format format)
{
    switch (format) {
    case Format::Png: return "png";
    case Format::Bmp: return "bmp";
    case Format::Tiff: return "tiff";
    case Format::Svg: return "svg";
    case Format::Pdf: return "pdf";
    }
    return "";
}

int dotsPerMeter(int dpi)
{
    return int(std::lround(dpi / kMmPerInch * 1000.0));
}

Encoded encodeSvg(const draw::Surface& surface, const ExportSettings& settings, const ExportPlan& plan)
{
    return {svgFile(surface, plan.moduleMm, plan.sizeMm, recolour(settings)), {}};
}

Encoded encodePdf(const draw::Surface& surface, const ExportSettings& settings, const ExportPlan& plan)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kPdfDotsPerInch);
    writer.setTitle(surface.description());
    writer.setCreator(QStringLiteral("Barcode Generator"));
    // A PDF page is a whole number of points; rounding up keeps the symbol whole.
    const QSize points(int(std::ceil(plan.sizeMm.width() / kMmPerInch * kPointsPerInch - 1e-9)),
                       int(std::ceil(plan.sizeMm.height() / kMmPerInch * kPointsPerInch - 1e-9)));
    const QPageSize page(points, QString(), QPageSize::ExactMatch);
    if (!writer.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF())))
        return {{}, QStringLiteral("The PDF page could not be set to the size of the symbol.")};
    QPainter painter;
    if (!painter.begin(&writer))
        return {{}, QStringLiteral("The PDF drawing could not be started.")};
    // The page runs past the symbol by the rounding: the background covers it too.
    if (!settings.transparent)
        painter.fillRect(QRect(0, 0, writer.width(), writer.height()), settings.background.rgb());
    const double dotsPerModule = plan.moduleMm / kMmPerInch * kPdfDotsPerInch;
    painter.scale(dotsPerModule, dotsPerModule);
    surface.replay(painter, QRect(QPoint(0, 0), surfaceSize(surface)), recolour(settings));
    if (!painter.end())
        return {{}, QStringLiteral("The PDF could not be completed.")};
    return {bytes, {}};
}

} // namespace

QString checkModule(double moduleMm)
{
    // Written so that NaN fails too.
    if (!(moduleMm >= kMinModuleMm && moduleMm <= kMaxModuleMm))
        return QStringLiteral("The module width must be between %1 and %2 mm.").arg(kMinModuleMm).arg(kMaxModuleMm);
    return {};
}

int wholeDots(double moduleMm, double dpi)
{
    return std::max(1, int(std::lround(moduleMm * dpi / kMmPerInch)));
}

QString formatName(Format format)
{
    return QString::fromLatin1(writerFormat(format)).toUpper();
}

QString formatSuffix(Format format)
{
    return QString::fromLatin1(writerFormat(format));
}

std::optional<Format> formatFromSuffix(const QString& suffix)
{
    const QString s = suffix.toLower();
    for (const Format f : {Format::Png, Format::Svg, Format::Pdf, Format::Bmp, Format::Tiff})
        if (s == formatSuffix(f))
            return f;
    if (s == u"tif")
        return Format::Tiff;
    return std::nullopt;
}

bool isVector(Format format)
{
    return format == Format::Svg || format == Format::Pdf;
}

bool allowsTransparency(Format format)
{
    return format == Format::Png || format == Format::Svg || format == Format::Pdf;
}

bool isAvailable(Format format)
{
    // PNG is written here and BMP by QtGui itself. Only TIFF needs a plugin:
    // asked by name, Qt loads that one, where its list of formats would load
    // every image plugin installed, a cost each command would pay.
    if (format != Format::Tiff)
        return true;
    QBuffer probe;
    return QImageWriter(&probe, writerFormat(format)).canWrite();
}

QList<Format> availableFormats()
{
    QList<Format> formats;
    for (const Format f : {Format::Png, Format::Svg, Format::Pdf, Format::Bmp, Format::Tiff})
        if (isAvailable(f))
            formats << f;
    return formats;
}

QSize surfaceSize(const draw::Surface& surface)
{
    return {surface.imageWidth(), surface.pixels().height()};
}

ExportPlan plan(QSize surfacePixels, const ExportSettings& settings)
{
    ExportPlan result;
    result.error = checkModule(settings.moduleMm);
    if (!result.ok())
        return result;
    if (!isAvailable(settings.format))
        return {QStringLiteral("This installation cannot write %1 files.").arg(formatName(settings.format))};
    if (settings.transparent && !allowsTransparency(settings.format))
        return {QStringLiteral("%1 files cannot have a transparent background.")
                    .arg(formatName(settings.format))};
    if (surfacePixels.isEmpty())
        return {QStringLiteral("There is no symbol to export.")};
    result.warning = contrastWarning(settings);
    if (isVector(settings.format)) {
        result.moduleMm = settings.moduleMm;
        result.sizeMm = QSizeF(surfacePixels) * settings.moduleMm;
        const double longest = std::max(result.sizeMm.width(), result.sizeMm.height());
        if (settings.format == Format::Pdf && longest / kMmPerInch * kPointsPerInch > kMaxPdfPoints)
            result.error =
                QStringLiteral("At this module width the symbol is %1 mm long; a PDF page can be at "
                               "most %2 mm on a side.")
                    .arg(QString::number(longest, 'f', 0))
                    .arg(QString::number(kMaxPdfPoints / kPointsPerInch * kMmPerInch, 'f', 0));
        return result;
    }
    if (settings.dpi < kMinDpi || settings.dpi > kMaxDpi)
        return {QStringLiteral("The resolution must be between %1 and %2 dots per inch.").arg(kMinDpi).arg(kMaxDpi)};
    result.pixelsPerModule = wholeDots(settings.moduleMm, settings.dpi);
    result.moduleMm = result.pixelsPerModule * kMmPerInch / settings.dpi;
    const qint64 width = qint64(surfacePixels.width()) * result.pixelsPerModule;
    const qint64 height = qint64(surfacePixels.height()) * result.pixelsPerModule;
    result.sizeMm = QSizeF(surfacePixels) * result.moduleMm;
    if (width * height > kMaxPixels) {
        // At one pixel a module neither a narrower module nor fewer dots make it smaller.
        result.error =
            result.pixelsPerModule == 1
                ? QStringLiteral("Even at 1 pixel per module the picture would be %1 x %2 pixels, too large: "
                                 "the symbol is too long for a %3 file of at most %4 pixels.")
                      .arg(width)
                      .arg(height)
                      .arg(formatName(settings.format))
                      .arg(kMaxPixels)
                : QStringLiteral("At %1 pixels per module the picture would be %2 x %3 pixels, too large; "
                                 "choose a narrower module or a lower resolution.")
                      .arg(result.pixelsPerModule)
                      .arg(width)
                      .arg(height);
        return result;
    }
    result.sizePixels = QSize(int(width), int(height));
    return result;
}

ExportPlan plan(const draw::Surface& surface, const ExportSettings& settings)
{
    return plan(surfaceSize(surface), settings);
}

QString pixelsPerModuleText(const ExportPlan& plan)
{
    const QString pixels = plan.pixelsPerModule == 1 ? QStringLiteral("1 pixel")
                                                     : QStringLiteral("%1 pixels").arg(plan.pixelsPerModule);
    return QStringLiteral("%1 per module, so a module %2 mm wide.")
        .arg(pixels, QString::number(plan.moduleMm, 'f', 3));
}

QString moduleRounding(const ExportPlan& plan, double askedMm)
{
    if (!plan.ok() || plan.pixelsPerModule == 0 || !(askedMm > 0) ||
        std::abs(plan.moduleMm - askedMm) <= kRoundingNoted * askedMm)
        return {};
    return pixelsPerModuleText(plan);
}

Rendered render(const draw::Surface& surface, const ExportSettings& settings)
{
    // Pixels for a vector format too: a drag offers both from one set of settings.
    ExportSettings pixels = settings;
    if (isVector(pixels.format))
        pixels.format = Format::Png;
    const ExportPlan p = plan(surface, pixels);
    if (!p.ok())
        return {{}, p.error};
    const int scale = p.pixelsPerModule;
    const Rendered outOfMemory{{},
                               QStringLiteral("There is not enough memory for a picture of %1 x %2 pixels.")
                                   .arg(p.sizePixels.width())
                                   .arg(p.sizePixels.height())};
    // Drawn in the recorded shades on white; then every pixel becomes its ink
    // level, an index into the palette of the chosen colours: antialiased label
    // edges blend into the chosen pair exactly as they did into black and white,
    // and a byte a pixel makes files small and quick to compress.
    QImage image;
    if (scale == 1) {
        // At a pixel a module the picture is the window's own, label pixels
        // included: the command line's default size hands out what Copy and
        // File Save do.
        image = surface.pixels();
    } else {
        image = QImage(p.sizePixels, QImage::Format_RGB32);
        if (image.isNull())
            return outOfMemory;
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(scale, scale);
        surface.replay(painter, QRect(QPoint(0, 0), surfaceSize(surface)));
    }
    QImage indexed(p.sizePixels, QImage::Format_Indexed8);
    if (indexed.isNull() || image.isNull())
        return outOfMemory;
    // A batch asks for the same colours thousands of times: the table is kept
    // and shared (a QList is copied by reference) until they change.
    thread_local struct {
        QRgb foreground = 0;
        QRgb background = 0;
        bool transparent = false;
        QList<QRgb> table;
    } last;
    if (last.table.isEmpty() || last.foreground != settings.foreground.rgb() ||
        last.background != settings.background.rgb() || last.transparent != settings.transparent) {
        const Palette colours = palette(settings);
        last = {settings.foreground.rgb(), settings.background.rgb(), settings.transparent,
                QList<QRgb>(colours.begin(), colours.end())};
    }
    indexed.setColorTable(last.table);
    indexed.setDotsPerMeterX(dotsPerMeter(settings.dpi));
    indexed.setDotsPerMeterY(dotsPerMeter(settings.dpi));
    if (image.format() != QImage::Format_Grayscale8)
        image = image.convertToFormat(QImage::Format_RGB32);
    // QImage's accessors are calls into the library: asked once, not per pixel.
    const int width = indexed.width();
    const int height = indexed.height();
    const bool grey = image.format() == QImage::Format_Grayscale8;
    for (int y = 0; y < height; ++y) {
        uchar* to = indexed.scanLine(y);
        if (grey) {
            // The window's picture is kept in greys: a byte a pixel already.
            const uchar* from = image.constScanLine(y);
            int x = 0;
            // Eight at a time: a byte's ink is its grey level's complement.
            for (; x + 8 <= width; x += 8) {
                quint64 word;
                std::memcpy(&word, from + x, 8);
                word = ~word;
                std::memcpy(to + x, &word, 8);
            }
            for (; x < width; ++x)
                to[x] = uchar(255 - from[x]);
            continue;
        }
        const auto* from = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x)
            to[x] = uchar(inkOf(from[x]));
    }
    return {indexed, {}};
}

Encoded encode(const draw::Surface& surface, const ExportSettings& settings)
{
    const ExportPlan p = plan(surface, settings);
    if (!p.ok())
        return {{}, p.error};
    if (settings.format == Format::Svg)
        return encodeSvg(surface, settings, p);
    if (settings.format == Format::Pdf)
        return encodePdf(surface, settings, p);
    const Rendered picture = render(surface, settings);
    if (!picture.ok())
        return {{}, picture.error};
    return encodePicture(picture.image, settings.format);
}

Encoded encodePicture(const QImage& picture, Format format)
{
    if (format == Format::Png) {
        PngBytes png = encodePng(picture);
        return {std::move(png.bytes), png.error};
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, writerFormat(format));
    if (!writer.write(picture))
        return {{}, writer.errorString()};
    return {bytes, {}};
}

SaveResult write(const draw::Surface& surface, const ExportSettings& settings, const QString& path)
{
    const Encoded file = encode(surface, settings);
    if (!file.ok())
        return {false, file.error};
    return saveBytes(file.bytes, path);
}

} // namespace output
