#include "output/SymbolFile.h"

#include "draw/Surface.h"
#include "output/PngWriter.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <cmath>
#include <cstring>

namespace output {

namespace {

constexpr double kMmPerInch = 25.4;

bool plainColours(const FileSettings& s)
{
    return !s.transparent && s.foreground.rgb() == qRgb(0, 0, 0) && s.background.rgb() == qRgb(255, 255, 255);
}

// The surface at a whole number of pixels per module, one grey byte a pixel:
// every colour the renderers use is a grey, the label's edges included.
QImage greyImage(const draw::Surface& surface, int scale)
{
    if (scale == 1)
        return surface.Image();
    const QSize size(surface.imageWidth(), surface.pixels().height());
    QImage canvas(size * scale, QImage::Format_RGB32);
    canvas.setDotsPerMeterX(3780);
    canvas.setDotsPerMeterY(3780);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.scale(scale, scale);
        surface.replay(painter, QRect(QPoint(0, 0), size));
    }
    return canvas.convertToFormat(QImage::Format_Grayscale8);
}

// Dark ink becomes the foreground and paper the background (or nothing), with
// the label's anti-aliased edges in between, through a colour table.
QImage coloured(const QImage& grey, const FileSettings& s)
{
    if (plainColours(s))
        return grey;
    QImage indexed(grey.size(), QImage::Format_Indexed8);
    QList<QRgb> table(256);
    const QRgb fg = s.foreground.rgb();
    const QRgb bg = s.background.rgb();
    for (int v = 0; v < 256; ++v) {
        auto mix = [v](int f, int b) { return (f * (255 - v) + b * v + 127) / 255; };
        table[v] = s.transparent ? qRgba(qRed(fg), qGreen(fg), qBlue(fg), 255 - v)
                                 : qRgb(mix(qRed(fg), qRed(bg)), mix(qGreen(fg), qGreen(bg)),
                                        mix(qBlue(fg), qBlue(bg)));
    }
    indexed.setColorTable(table);
    for (int y = 0; y < grey.height(); ++y)
        std::memcpy(indexed.scanLine(y), grey.constScanLine(y), size_t(grey.width()));
    return indexed;
}

EncodedFile encodeRaster(const draw::Surface& surface, const FileSettings& s)
{
    QImage image = coloured(greyImage(surface, pixelsPerModule(s)), s);
    const int dpm = int(std::lround(s.dpi / kMmPerInch * 1000));
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    if (s.format == FileFormat::Png) {
        PngBytes png = encodePng(image);
        return {std::move(png.bytes), png.error};
    }
    EncodedFile file;
    QBuffer buffer(&file.bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "BMP");
    if (!writer.write(image)) {
        file.bytes.clear();
        file.error = writer.errorString();
    }
    return file;
}

EncodedFile encodeVector(const draw::Surface& surface, const FileSettings& s)
{
    const int scale = pixelsPerModule(s);
    const QSize size(surface.imageWidth(), surface.pixels().height());
    const QRect area(QPoint(0, 0), size);
    EncodedFile file;
    QBuffer buffer(&file.bytes);
    buffer.open(QIODevice::WriteOnly);
    if (s.format == FileFormat::Svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size * scale);
        generator.setViewBox(QRect(QPoint(0, 0), size * scale));
        generator.setResolution(s.dpi);
        generator.setTitle(surface.description());
        QPainter painter(&generator);
        painter.scale(scale, scale);
        surface.replay(painter, area);
    } else {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(s.dpi);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setPageSize(QPageSize(
            QSizeF(size.width() * scale * kMmPerInch / s.dpi, size.height() * scale * kMmPerInch / s.dpi),
            QPageSize::Millimeter));
        pdf.setTitle(surface.description());
        QPainter painter(&pdf);
        painter.scale(scale, scale);
        surface.replay(painter, area);
    }
    return file;
}

} // namespace

std::optional<FileFormat> formatFromPath(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return FileFormat::Png;
    if (suffix == QLatin1String("svg"))
        return FileFormat::Svg;
    if (suffix == QLatin1String("pdf"))
        return FileFormat::Pdf;
    if (suffix == QLatin1String("bmp"))
        return FileFormat::Bmp;
    return std::nullopt;
}

int pixelsPerModule(const FileSettings& settings)
{
    // Without a width the module keeps its size on a 96-dpi screen.
    const double mm = settings.moduleMm.value_or(kMmPerInch / 96);
    return std::max(1, int(std::lround(mm * settings.dpi / kMmPerInch)));
}

EncodedFile encodeSymbol(const draw::Surface& surface, const FileSettings& settings)
{
    if (settings.format == FileFormat::Svg || settings.format == FileFormat::Pdf) {
        if (!plainColours(settings))
            return {{}, QStringLiteral("colours and transparency are written to PNG and BMP files only")};
        return encodeVector(surface, settings);
    }
    if (settings.transparent && settings.format == FileFormat::Bmp)
        return {{}, QStringLiteral("a BMP file cannot have a transparent background")};
    return encodeRaster(surface, settings);
}

} // namespace output
