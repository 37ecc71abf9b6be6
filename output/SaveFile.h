#pragma once

#include "output/FileName.h"

#include <QImage>
#include <QString>

namespace output {

struct SaveResult {
    bool saved = false;
    QString error; // why not, in words for the user
};

// Writes an uncompressed Windows bitmap through a temporary file that replaces
// the target only once complete: a failed save leaves any old file untouched.
SaveResult saveBitmap(const QImage& image, const QString& path);

} // namespace output
