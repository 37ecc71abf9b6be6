#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace output {

// PNG bytes of a grey, colour-table or colour image, with its dots per metre.
// Tuned for barcodes: each row is stored as its difference to the row above,
// which for bars is all zeros, and compressed as runs by a coder of its own;
// with a general-purpose compressor a batch spent most of its time here.
struct PngBytes {
    QByteArray bytes;
    QString error;
};
PngBytes encodePng(const QImage& image);

} // namespace output
