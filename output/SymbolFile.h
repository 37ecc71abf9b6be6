#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>

#include <optional>

namespace draw {
class Surface;
}

namespace output {

enum class FileFormat { Png, Svg, Pdf, Bmp };

// By the file name's extension, in any case.
std::optional<FileFormat> formatFromPath(const QString& path);

struct FileSettings {
    FileFormat format = FileFormat::Png;
    // One surface pixel is one module in every picture area.
    std::optional<double> moduleMm;
    int dpi = 96;
    QColor foreground = Qt::black;
    QColor background = Qt::white;
    bool transparent = false;
};

// Whole device pixels per module nearest to the asked width, never less than one.
int pixelsPerModule(const FileSettings& settings);

struct EncodedFile {
    QByteArray bytes;
    QString error; // why there are no bytes
};

// The symbol as the file's bytes. The one place the command line and batches
// turn a surface into a file format.
EncodedFile encodeSymbol(const draw::Surface& surface, const FileSettings& settings);

} // namespace output
