#include "formats/Format.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>

namespace output {

namespace {

constexpr Format kAll[] = {Format::Png, Format::Svg, Format::Pdf, Format::Bmp, Format::Tiff};

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

} // namespace

QString formatName(Format format)
{
    return QString::fromLatin1(writerFormat(format)).toUpper();
}

QString formatSuffix(Format format)
{
    return QString::fromLatin1(writerFormat(format));
}

QStringList formatSuffixes(Format format)
{
    if (format == Format::Tiff)
        return {formatSuffix(format), QStringLiteral("tif")};
    return {formatSuffix(format)};
}

QString formatFilter(Format format)
{
    QStringList patterns;
    for (const QString& suffix : formatSuffixes(format))
        patterns << QStringLiteral("*.") + suffix;
    return QStringLiteral("%1 files (%2)").arg(formatName(format), patterns.join(u' '));
}

ExportPath exportPath(const QString& chosen, Format format)
{
    const QString suffix = QFileInfo(chosen).suffix();
    if (suffix.isEmpty())
        return {chosen + u'.' + formatSuffix(format), {}};
    if (const std::optional<Format> named = formatFromSuffix(suffix); named && *named != format)
        return {{},
                QStringLiteral("%1 is the name of a %2 file, not a %3 one: name it .%4, or choose %2 as the "
                               "format.")
                    .arg(QFileInfo(chosen).fileName(), formatName(*named), formatName(format),
                         formatSuffixes(format).join(QStringLiteral(" or .")))};
    return {chosen, {}};
}

std::optional<Format> formatFromSuffix(const QString& suffix)
{
    const QString s = suffix.toLower();
    for (const Format f : kAll)
        if (formatSuffixes(f).contains(s))
            return f;
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
    for (const Format f : kAll)
        if (isAvailable(f))
            formats << f;
    return formats;
}

} // namespace output
