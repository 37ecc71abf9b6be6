#include "output/SaveFile.h"

#include <QImageWriter>
#include <QSaveFile>

namespace output {

QString safeFileName(const QString& name)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    QString safe;
    safe.reserve(name.size());
    for (const QChar c : name)
        safe += (c.unicode() < 0x20 || c.unicode() == 0x7F || forbidden.contains(c)) ? QChar(u'_') : c;
    return safe;
}

SaveResult saveBitmap(const QImage& image, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    QImageWriter writer(&file, "BMP");
    if (!writer.write(image)) {
        file.cancelWriting();
        return {false, writer.errorString()};
    }
    if (!file.commit())
        return {false, file.errorString()};
    return {true, {}};
}

} // namespace output
