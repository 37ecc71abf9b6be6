#include "output/SaveFile.h"

#include <QBuffer>
#include <QImageWriter>
#include <QSaveFile>

namespace output {

SaveResult saveBitmap(const QImage& image, const QString& path)
{
    // Encoded in memory first: the bitmap writer does not notice every failed
    // write, so the bytes that reach the disk are counted here instead.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "BMP");
    if (!writer.write(image))
        return {false, writer.errorString()};

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {false, file.errorString()};
    if (const qint64 written = file.write(bytes); written != bytes.size()) {
        // A short write (a full disk, a size limit) often comes without a reason.
        const QString error =
            written >= 0
                ? QStringLiteral("only %1 of %2 bytes could be written").arg(written).arg(bytes.size())
                : file.errorString();
        file.cancelWriting();
        return {false, error};
    }
    if (!file.commit())
        return {false, file.errorString()};
    return {true, {}};
}

} // namespace output
