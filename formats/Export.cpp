#include "formats/Export.h"

#include "draw/Recording.h"
#include "draw/Surface.h"
#include "formats/PngWriter.h"
#include "formats/SvgFile.h"

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
#include <optional>
#include <variant>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace output {

namespace {

// PDF coordinates are this fine; the module is exact in the file regardless.
constexpr int kPdfDotsPerInch = 1200;

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

// The picture's pixels index this palette of the chosen colours, by ink.
void withPalette(QImage& indexed, const ExportSettings& settings)
{
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
}

bool isColumn(const draw::Ops::Op& op)
{
    const auto* line = std::get_if<draw::Ops::Line>(&op);
    return line && line->width == 1 && line->line.x1() == line->line.x2();
}

// The columns set into ink bytes at the scale, as a painter fills the same
// whole rectangles; the rest of each row, to its stride, is the paper's ink.
void setColumns(const draw::Recording& recording, uchar* bits, qsizetype stride, QSize size, int scale)
{
    const int width = size.width();
    const int height = size.height();
    std::memset(bits, inkOf(recording.back), size_t(stride) * size_t(height));
    for (const draw::Ops::Op& op : recording.ops.list) {
        const auto& line = std::get<draw::Ops::Line>(op);
        const QLine& l = line.line;
        const int left = std::max(l.x1() * scale, 0);
        const int right = std::min((l.x1() + line.count) * scale, width);
        const int top = std::max(std::min(l.y1(), l.y2()) * scale, 0);
        const int bottom = std::min((std::max(l.y1(), l.y2()) + 1) * scale, height);
        if (left >= right || top >= bottom)
            continue;
        const uchar ink = uchar(inkOf(line.colour));
        uchar* row = bits + top * stride + left;
        const size_t run = size_t(right - left);
        for (int y = top; y < bottom; ++y, row += stride)
            std::memset(row, ink, run);
    }
}

// A row of greys at a pixel a module widened to `scale` pixels a module, as
// inks: two pixels a module (200 dots an inch) is the common case, sixteen
// modules at a time where the processor has the instructions for it.
void widenToInk(const uchar* from, uchar* to, int modules, int scale)
{
    int x = 0;
    if (scale == 2) {
#ifdef __SSE2__
        const __m128i all = _mm_set1_epi8(char(0xFF));
        for (; x + 16 <= modules; x += 16) {
            const __m128i ink = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from + x)), all);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 2 * x), _mm_unpacklo_epi8(ink, ink));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 2 * x + 16), _mm_unpackhi_epi8(ink, ink));
        }
#endif
        for (; x < modules; ++x)
            to[2 * x] = to[2 * x + 1] = uchar(255 - from[x]);
        return;
    }
    for (; x < modules; ++x)
        std::memset(to + qsizetype(x) * scale, 255 - from[x], size_t(scale));
}

// A drawing of one-pixel columns alone (a 2D symbol's modules, postal bars:
// nothing but rectangles on plain paper) set straight into ink bytes at the
// scale, as a painter fills the same whole rectangles: through a painter a
// PDF417's hundreds of rectangles cost ten times libzint's whole encode.
// Nothing when the drawing holds anything else.
std::optional<QImage> columnsInInk(const draw::Surface& surface, QSize size, int scale)
{
    const draw::Recording& recording = *surface.recording();
    if (recording.picture || !recording.backdrop.isNull() ||
        !std::ranges::all_of(recording.ops.list, isColumn))
        return std::nullopt;
    QImage indexed(size, QImage::Format_Indexed8);
    if (indexed.isNull())
        return QImage();
    // Asked once: every QImage accessor (and QRect's intersection) is a call
    // into the library, and a symbol has hundreds of rectangles.
    uchar* const bits = indexed.bits();
    const qsizetype stride = indexed.bytesPerLine();
    const int width = size.width();
    // At a pixel a module such a drawing is what the surface's own pixels
    // show, a grey a pixel, its ink the grey's complement, as the picture at
    // a pixel a module is taken from them: each row is widened and repeated,
    // a row like the one before copied whole, instead of every column set
    // again on every row it covers.
    const QImage& greys = surface.pixels();
    const QSize modules(surface.imageWidth(), greys.height());
    if (scale == 1 || modules * scale != size || greys.format() != QImage::Format_Grayscale8) {
        setColumns(recording, bits, stride, size, scale);
        return indexed;
    }
    const uchar paper = uchar(inkOf(recording.back));
    const uchar* const greyBits = greys.constBits();
    const qsizetype greyStride = greys.bytesPerLine();
    const uchar* previous = nullptr;
    uchar* previousRow = nullptr;
    for (int y = 0; y < modules.height(); ++y) {
        const uchar* from = greyBits + qsizetype(y) * greyStride;
        uchar* to = bits + qsizetype(y) * scale * stride;
        if (previous && std::memcmp(from, previous, size_t(modules.width())) == 0) {
            std::memcpy(to, previousRow, size_t(stride));
        } else {
            widenToInk(from, to, modules.width(), scale);
            std::memset(to + width, paper, size_t(stride - width));
        }
        for (int r = 1; r < scale; ++r)
            std::memcpy(to + r * stride, to, size_t(stride));
        previous = from;
        previousRow = to;
    }
    return indexed;
}

} // namespace

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
    // Put in words only when needed: every redraw of a picture comes here.
    const auto outOfMemory = [&p] {
        return Rendered{{},
                        QStringLiteral("There is not enough memory for a picture of %1 x %2 pixels.")
                            .arg(p.sizePixels.width())
                            .arg(p.sizePixels.height())};
    };
    // Drawn in the recorded shades on white; then every pixel becomes its ink
    // level, an index into the palette of the chosen colours: antialiased label
    // edges blend into the chosen pair exactly as they did into black and white,
    // and a byte a pixel makes files small and quick to compress.
    if (scale > 1) {
        if (std::optional<QImage> inks = columnsInInk(surface, p.sizePixels, scale)) {
            if (inks->isNull())
                return outOfMemory();
            withPalette(*inks, settings);
            return {*inks, {}};
        }
    }
    QImage image;
    if (scale == 1) {
        // At a pixel a module the picture is the window's own, label pixels
        // included: the command line's default size hands out what Copy and
        // File Save do.
        image = surface.pixels();
    } else {
        image = QImage(p.sizePixels, QImage::Format_RGB32);
        if (image.isNull())
            return outOfMemory();
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(scale, scale);
        surface.replay(painter, QRect(QPoint(0, 0), surfaceSize(surface)));
    }
    QImage indexed(p.sizePixels, QImage::Format_Indexed8);
    if (indexed.isNull() || image.isNull())
        return outOfMemory();
    withPalette(indexed, settings);
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
    QImageWriter writer(&buffer, formatSuffix(format).toLatin1());
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
