#pragma once

#include "output/FileName.h"

#include <QImage>
#include <QString>

namespace output {

struct SaveResult {
    bool saved = false;
    QString error; // why not, in words for the user
};

// Writes the bytes through a temporary file in the same folder that replaces the
// target only once complete: a failed save leaves any old file untouched. A
// symbolic link at the path is replaced by the file, never followed, so nothing
// outside that folder is written.
SaveResult saveBytes(const QByteArray& bytes, const QString& path);

// An uncompressed Windows bitmap, saved as saveBytes saves.
SaveResult saveBitmap(const QImage& image, const QString& path);

} // namespace output
