#include "output/FileName.h"

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

} // namespace output
