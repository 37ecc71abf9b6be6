#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace output {

// PNG bytes of a grey or colour-table image, with its dots per metre. Tuned for
// barcodes: each row is stored as its difference to the row above, which for
// bars is all zeros, and compressed as runs; a batch spends most of its time
// here with the general-purpose settings.
struct PngBytes {
    QByteArray bytes;
    QString error;
};
PngBytes encodePng(const QImage& image);

} // namespace output
