#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace output {

enum class Format { Png, Svg, Pdf, Bmp, Tiff };

// Names as a user sees them ("PNG") and the file suffix without the dot ("png"),
// which is also the name Qt's image writers know the format by.
QString formatName(Format format);
QString formatSuffix(Format format);
// Every suffix a file of the format is known by, formatSuffix() first:
// TIFF files are as often .tif.
QStringList formatSuffixes(Format format);
// A file dialog's filter that shows files of every one of those suffixes.
QString formatFilter(Format format);
// Where a file of `format` named in a file dialog is written: without a suffix
// the format's own is added; a suffix of another format is refused, with why,
// since the file would not open as what its name says.
struct ExportPath {
    QString path;  // empty when refused
    QString error;
};
ExportPath exportPath(const QString& chosen, Format format);
std::optional<Format> formatFromSuffix(const QString& suffix);
bool isVector(Format format);
bool allowsTransparency(Format format);
// Whether this installation can write the format: TIFF needs an image plugin.
bool isAvailable(Format format);
QList<Format> availableFormats();

} // namespace output
