#include "verify/ScanCheck.h"

#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace verify {

namespace {

ZXing::BarcodeFormat formatOf(Symbology symbology)
{
    switch (symbology) {
    case Symbology::Code39: return ZXing::BarcodeFormat::Code39;
    case Symbology::Interleaved2of5: return ZXing::BarcodeFormat::ITF;
    case Symbology::Code128: return ZXing::BarcodeFormat::Code128;
    case Symbology::Codabar: return ZXing::BarcodeFormat::Codabar;
    case Symbology::Ean13: return ZXing::BarcodeFormat::EAN13;
    case Symbology::Ean8: return ZXing::BarcodeFormat::EAN8;
    case Symbology::UpcA: return ZXing::BarcodeFormat::UPCA;
    }
    return ZXing::BarcodeFormat::None;
}

// The image in grey levels, as Qt converts it. Exports index a palette: each
// of its colours is converted once rather than per pixel, where Qt's colour
// management costs a power function a pixel.
// The grey of each entry of a palette picture's table, as Qt converts the
// colour itself: the row read at once and the whole picture agree.
std::array<uchar, 256> paletteGreys(const QImage& image)
{
    QImage table(image.colorCount(), 1, QImage::Format_ARGB32);
    for (int i = 0; i < image.colorCount(); ++i)
        table.setPixel(i, 0, image.color(i));
    const QImage levels = table.convertToFormat(QImage::Format_Grayscale8);
    std::array<uchar, 256> level{};
    for (int i = 0; i < image.colorCount(); ++i)
        level[size_t(i)] = levels.constScanLine(0)[i];
    return level;
}

QImage greyOf(const QImage& image)
{
    if (image.format() != QImage::Format_Indexed8 || image.colorCount() == 0)
        return image.convertToFormat(QImage::Format_Grayscale8);
    const std::array<uchar, 256> level = paletteGreys(image);
    QImage grey(image.size(), QImage::Format_Grayscale8);
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const uchar* from = image.constScanLine(y);
        uchar* to = grey.scanLine(y);
        for (int x = 0; x < width; ++x)
            to[x] = level[from[x]];
    }
    return grey;
}

// Paper around a printed symbol has the symbol's own background colour: the
// most common grey of the image's left edge, where every renderer leaves space.
uchar backgroundOf(const QImage& grey)
{
    std::array<int, 256> counts{};
    for (int y = 0; y < grey.height(); ++y)
        ++counts[grey.constScanLine(y)[0]];
    return uchar(std::max_element(counts.begin(), counts.end()) - counts.begin());
}

// A scanner sees each module over several sensor pixels. Whole-pixel
// enlargement keeps every bar and space at the exact ratio the image has, so
// it adds nothing the image lacks; large images are read as they are.
int enlargementFor(const QImage& image)
{
    constexpr qint64 kPixelBudget = 8'000'000;
    const qint64 area = qint64(image.width()) * image.height();
    for (int factor = 3; factor > 1; --factor)
        if (area * factor * factor <= kPixelBudget)
            return factor;
    return 1;
}

// Ten modules of quiet zone at one pixel per module: the least any of these
// symbologies asks for.
constexpr int kQuietModules = 10;

QImage asScanned(const QImage& grey, int factor)
{
    const int quiet = kQuietModules * factor;
    QImage framed(grey.width() * factor + 2 * quiet, grey.height() * factor + 2 * quiet,
                  QImage::Format_Grayscale8);
    framed.fill(backgroundOf(grey));
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* from = grey.constScanLine(y);
        uchar* to = framed.scanLine(quiet + y * factor) + quiet;
        for (int x = 0; x < grey.width(); ++x)
            std::memset(to + x * factor, from[x], size_t(factor));
        for (int copy = 1; copy < factor; ++copy)
            std::memcpy(framed.scanLine(quiet + y * factor + copy) + quiet, to,
                        size_t(grey.width() * factor));
    }
    return framed;
}

// How a format is looked for beyond the defaults.
struct Reading {
    ZXing::BarcodeFormat format = ZXing::BarcodeFormat::None;
    bool addons = false; // EAN/UPC add-ons read and appended
};

bool isLinear(ZXing::BarcodeFormat format)
{
    return (ZXing::BarcodeFormats(ZXing::BarcodeFormat::LinearCodes) & format) == format;
}

ZXing::DecodeHints hintsFor(const Reading& reading)
{
    ZXing::DecodeHints hints;
    hints.setFormats(reading.format);
    if (reading.addons)
        hints.setEanAddOnSymbol(ZXing::EanAddOnSymbol::Read);
    return hints;
}

QString decode(const Reading& reading, const QImage& grey)
{
    const QImage framed = asScanned(grey, enlargementFor(grey));
    const ZXing::ImageView view(framed.constBits(), framed.width(), framed.height(), ZXing::ImageFormat::Lum,
                                int(framed.bytesPerLine()));
    ZXing::DecodeHints hints = hintsFor(reading);
    hints.setTryHarder(true);
    // The window and the exports draw symbols upright.
    hints.setTryRotate(false);
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    return result.isValid() ? QString::fromStdString(result.text()) : QString();
}

// Most symbols read at once from one row across their bars, as they are: the
// enlarged image and the decoder's harder search are for the rest. Every row
// across the bars of a drawn symbol is the same, so one is as good as all.
// Only the exact data counts here; anything else gets the closer look.
bool readsAtOnce(const Reading& reading, const QImage& image, const QString& expected)
{
    // A 2D symbol has no row that holds it all.
    if (expected.isEmpty() || image.height() < 3 || !isLinear(reading.format))
        return false;
    // A third of the way down crosses the bars of every symbol drawn here,
    // above any label. Only that row is made grey: here the exact shade of a
    // label's edge does not matter, and a whole picture took longer than the read.
    const int y = image.height() / 3;
    const int count = image.width();
    std::vector<uchar> levels(static_cast<size_t>(count));
    if (image.format() == QImage::Format_Grayscale8) {
        std::memcpy(levels.data(), image.constScanLine(y), levels.size());
    } else if (image.format() == QImage::Format_Indexed8 && image.colorCount() > 0) {
        const std::array<uchar, 256> level = paletteGreys(image);
        const uchar* from = image.constScanLine(y);
        for (int x = 0; x < count; ++x)
            levels[size_t(x)] = level[from[x]];
    } else {
        const QImage row = image.copy(0, y, count, 1).convertToFormat(QImage::Format_RGB32);
        const auto* from = reinterpret_cast<const QRgb*>(row.constScanLine(0));
        for (int x = 0; x < count; ++x)
            levels[size_t(x)] = uchar(qGray(from[x]));
    }
    // Framed by the paper's shade, as the left edge shows it.
    const int width = count + 2 * kQuietModules;
    std::vector<uchar> row(size_t(width), levels[0]);
    std::memcpy(row.data() + kQuietModules, levels.data(), levels.size());
    const ZXing::ImageView view(row.data(), width, 1, ZXing::ImageFormat::Lum);
    ZXing::DecodeHints hints = hintsFor(reading);
    hints.setTryHarder(false);
    hints.setTryRotate(false);
    hints.setIsPure(true);
    hints.setMinLineCount(1);
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    return result.isValid() && QString::fromStdString(result.text()) == expected;
}

// Symbols that this program draws as asked but that common decoders refuse,
// with the reason in the user's terms.
QString knownLimit(Symbology symbology, const Context& context)
{
    const QString& data = context.expected;
    switch (symbology) {
    case Symbology::Interleaved2of5:
        if (!data.isEmpty() && data.size() < 6)
            return QStringLiteral("Interleaved 2 of 5 of fewer than 6 digits is refused by many scanners.");
        break;
    case Symbology::Codabar:
        if (!data.isEmpty() && data.size() < 2)
            return QStringLiteral("Codabar of fewer than 2 characters is refused by many scanners.");
        break;
    case Symbology::Code39:
        if (context.optimize && std::any_of(data.begin(), data.end(), [](QChar c) {
                return c == u'$' || c == u'/' || c == u'+' || c == u'%';
            }))
            return QStringLiteral("With \"Optimize for Printing\" the spaces of $ / + % are widened until a "
                                  "decoder takes narrow spaces for wide ones; clear that option.");
        break;
    default: break;
    }
    return {};
}

QString imageLimits(const QImage& grey, const Context& context)
{
    QStringList reasons;
    const double contrast = symbolContrast(grey);
    if (contrast < kMinimumContrast)
        reasons << QStringLiteral(
                       "The bars and the background differ by only %1% in lightness; print-quality "
                       "grading asks for at least %2%.")
                       .arg(std::lround(contrast * 100))
                       .arg(std::lround(kMinimumContrast * 100));
    if (context.dotsPerModule > 0 && context.dotsPerModule < 1)
        reasons << QStringLiteral("A module is narrower than one dot of the output (%1 dots).")
                       .arg(context.dotsPerModule, 0, 'g', 2);
    return reasons.join(u' ');
}

} // namespace

double symbolContrast(const QImage& image)
{
    if (image.isNull())
        return 0;
    const QImage grey = greyOf(image);
    int darkest = 255;
    int lightest = 0;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* row = grey.constScanLine(y);
        const auto [lo, hi] = std::minmax_element(row, row + grey.width());
        darkest = std::min(darkest, int(*lo));
        lightest = std::max(lightest, int(*hi));
    }
    return std::max(0, lightest - darkest) / 255.0;
}

namespace {

Verdict checkAs(const Reading& reading, std::optional<Symbology> own, const QImage& image, const Context& context)
{
    Verdict verdict;
    if (image.isNull() || image.width() < 1 || image.height() < 1) {
        verdict.reason = QStringLiteral("There is no image to read.");
        return verdict;
    }
    if (readsAtOnce(reading, image, context.expected)) {
        verdict.outcome = Verdict::Outcome::Read;
        verdict.text = context.expected;
        return verdict;
    }
    const QImage grey = greyOf(image);
    verdict.text = decode(reading, grey);
    if (verdict.text.isEmpty())
        verdict.outcome = Verdict::Outcome::NotRead;
    else if (context.expected.isEmpty() || verdict.text == context.expected)
        verdict.outcome = Verdict::Outcome::Read;
    else
        verdict.outcome = Verdict::Outcome::Misread;
    if (verdict.reads())
        return verdict;

    QStringList reasons;
    if (verdict.outcome == Verdict::Outcome::Misread)
        reasons
            << QStringLiteral("It read \"%1\" where the data is \"%2\".").arg(verdict.text, context.expected);
    for (const QString& reason : {own ? knownLimit(*own, context) : QString(), imageLimits(grey, context)})
        if (!reason.isEmpty())
            reasons << reason;
    verdict.reason = reasons.join(u' ');
    return verdict;
}

} // namespace

Verdict check(Symbology symbology, const QImage& image, const Context& context)
{
    return checkAs({formatOf(symbology)}, symbology, image, context);
}

Verdict check(const LibrarySymbology& symbology, const QImage& image, const Context& context)
{
    if (!symbology.decoder)
        return Verdict::notChecked(symbology.title);
    const ZXing::BarcodeFormat format = ZXing::BarcodeFormatFromString(symbology.decoder);
    if (format == ZXing::BarcodeFormat::None)
        return Verdict::notChecked(symbology.title);
    const bool retail = format == ZXing::BarcodeFormat::EAN13 || format == ZXing::BarcodeFormat::EAN8 ||
                        format == ZXing::BarcodeFormat::UPCA || format == ZXing::BarcodeFormat::UPCE;
    return checkAs({format, retail}, std::nullopt, image, context);
}

Verdict check(const Request& request)
{
    return request.library ? check(*request.library, request.image, request.context)
                           : check(request.symbology, request.image, request.context);
}

Verdict Verdict::notChecked(const QString& title)
{
    Verdict verdict;
    verdict.outcome = Outcome::NotChecked;
    verdict.symbology = title;
    return verdict;
}

QString Verdict::headline() const
{
    switch (outcome) {
    case Outcome::Read: return QStringLiteral("Scans as ") + text;
    case Outcome::Misread: return QStringLiteral("Scans as %1, not as the data").arg(text);
    case Outcome::NotChecked: return QStringLiteral("Not checked: no decoder reads ") + symbology;
    case Outcome::NotRead: break;
    }
    // Other scanners may still read it: say what this decoder did, no more.
    return QStringLiteral("Not read by a standard decoder");
}

QString Verdict::details() const
{
    return reason.isEmpty() ? headline() : headline() + QStringLiteral(". ") + reason;
}

} // namespace verify
