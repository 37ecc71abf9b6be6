#pragma once

#include "formats/Plan.h"
#include "formats/SaveFile.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace draw {
class Surface;
}

namespace output {

// A surface made into a file's contents as its plan (Plan.h) lays it out, in
// the chosen format and colours, and written whole.

struct Encoded {
    QByteArray bytes;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

struct Rendered {
    QImage image;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// The whole picture drawn again at the plan's whole pixels per module: every
// bar a whole number of pixels, never resampled, the label set at that size.
// The image carries the chosen resolution; its pixels index a palette of the
// chosen colours, by how much ink each holds.
Rendered render(const draw::Surface& surface, const ExportSettings& settings);

// The file's contents, for a file, a drag or standard output alike.
Encoded encode(const draw::Surface& surface, const ExportSettings& settings);
// The contents of a pixel format's file from the picture render() made for it:
// a caller that also reads the picture back draws it once.
Encoded encodePicture(const QImage& picture, Format format);

// Writes the file whole or not at all: a failure leaves an existing file as it was.
SaveResult write(const draw::Surface& surface, const ExportSettings& settings, const QString& path);

} // namespace output
