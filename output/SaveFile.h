#pragma once

#include <QImage>
#include <QString>

namespace output {

// The longest file name, in bytes of UTF-8, that Linux file systems accept.
inline constexpr qsizetype kMaxFileNameBytes = 255;

// The Unicode bidirectional controls (LRM, RLM, ALM, the embeddings, overrides and
// isolates). In a name or a question they reorder what follows them, so that
// "TSL_<RLO>ABC.exe.bmp" is listed as "TSL_pmb.exe.CBA".
bool isDirectionControl(QChar c);

// The text with every bidirectional control replaced by "_", for showing a
// user's input where its order matters.
QString withoutDirectionControls(const QString& text);

// The name with every character that Linux or Windows refuses in a file name
// (separators, wildcards, quotes, control characters) and every bidirectional
// control replaced by "_", so that a file lands in the chosen folder under
// exactly the name the user was shown, read in the same order.
QString safeFileName(const QString& name);

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
