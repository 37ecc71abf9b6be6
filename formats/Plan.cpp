#include "formats/Plan.h"

#include "draw/Surface.h"

#include <algorithm>
#include <cmath>

namespace output {

namespace {

// Four bytes a pixel: beyond this a picture takes more memory than a desktop
// can spare, and no label printer needs it.
constexpr qint64 kMaxPixels = qint64(1) << 27;
// Symbol contrast (difference of reflectances, 0 to 1) below this grades D or
// worse in the print-quality grading of ISO/IEC 15416.
constexpr double kMinContrast = 0.4;
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

} // namespace output
