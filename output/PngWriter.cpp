#include "output/PngWriter.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <vector>

namespace output {

namespace {

void append(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<QByteArray*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<const char*>(data), qsizetype(length));
}

void flush(png_structp) {}

void fail(png_structp png, png_const_charp message)
{
    *static_cast<QString*>(png_get_error_ptr(png)) = QString::fromLatin1(message);
    png_longjmp(png, 1);
}

void warn(png_structp, png_const_charp) {}

} // namespace

PngBytes encodePng(const QImage& source)
{
    PngBytes out;
    QImage image = source;
    if (image.format() != QImage::Format_Grayscale8 && image.format() != QImage::Format_Indexed8)
        image = image.convertToFormat(QImage::Format_ARGB32);
    // Black ink on white paper indexes a palette of greys from white to black:
    // stored as grey levels it needs no palette in every file. libpng turns
    // each ink level into its grey as it writes the row.
    const QList<QRgb> inks = image.colorTable();
    bool inkOnWhite = image.format() == QImage::Format_Indexed8 && inks.size() == 256;
    for (int i = 0; inkOnWhite && i < 256; ++i)
        inkOnWhite = inks[i] == qRgb(255 - i, 255 - i, 255 - i);
    const bool grey = image.format() == QImage::Format_Grayscale8 || inkOnWhite;
    const bool indexed = image.format() == QImage::Format_Indexed8 && !inkOnWhite;

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &out.error, fail, warn);
    if (!png)
        return {{}, QStringLiteral("out of memory")};
    png_infop info = png_create_info_struct(png);
    const QList<QRgb>& table = inks;
    std::vector<png_color> palette;
    std::vector<png_byte> alpha;
    bool translucent = false;
    for (const QRgb c : table) {
        palette.push_back({png_byte(qRed(c)), png_byte(qGreen(c)), png_byte(qBlue(c))});
        alpha.push_back(png_byte(qAlpha(c)));
        translucent = translucent || qAlpha(c) != 255;
    }
    // Nothing with a destructor may be made between here and the end: an error
    // jumps back to this point.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        out.bytes.clear();
        return out;
    }
    png_set_write_fn(png, &out.bytes, append, flush);
    const int type = grey ? PNG_COLOR_TYPE_GRAY : indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB_ALPHA;
    png_set_IHDR(png, info, png_uint_32(image.width()), png_uint_32(image.height()), 8, type,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (indexed) {
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
        if (translucent)
            png_set_tRNS(png, info, alpha.data(), int(alpha.size()), nullptr);
    }
    png_set_pHYs(png, info, png_uint_32(image.dotsPerMeterX()), png_uint_32(image.dotsPerMeterY()),
                 PNG_RESOLUTION_METER);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_compression_strategy(png, Z_RLE);
    png_set_compression_level(png, 6);
    png_write_info(png, info);
    if (inkOnWhite)
        png_set_invert_mono(png);
    if (type == PNG_COLOR_TYPE_RGB_ALPHA)
        png_set_bgr(png); // QImage keeps ARGB32 as B, G, R, A bytes on little-endian machines
    for (int y = 0; y < image.height(); ++y)
        png_write_row(png, image.constScanLine(y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

} // namespace output
