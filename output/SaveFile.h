#pragma once

#include <QImage>
#include <QString>

namespace output {

// The name with every character that Linux or Windows refuses in a file name
// (separators, wildcards, quotes, control characters) replaced by "_", so that a
// file lands in the chosen folder under exactly the name the user was shown.
QString safeFileName(const QString& name);

struct SaveResult {
    bool saved = false;
    QString error; // why not, in words for the user
};

// Writes the bytes through a temporary file that replaces the target only once
// complete: a failed save leaves any old file untouched.
SaveResult saveBytes(const QByteArray& bytes, const QString& path);

// An uncompressed Windows bitmap, saved as saveBytes saves.
SaveResult saveBitmap(const QImage& image, const QString& path);

} // namespace output
