#include "formats/FileName.h"

namespace output {

bool isDirectionControl(QChar c)
{
    const char16_t u = c.unicode();
    return u == 0x061C || u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E) ||
           (u >= 0x2066 && u <= 0x2069);
}

QString withoutDirectionControls(const QString& text)
{
    QString shown = text;
    for (QChar& c : shown)
        if (isDirectionControl(c))
            c = u'_';
    return shown;
}

QString safeFileName(const QString& name)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    QString safe;
    safe.reserve(name.size());
    for (const QChar c : name)
        safe += (c.unicode() < 0x20 || c.unicode() == 0x7F || forbidden.contains(c) || isDirectionControl(c))
                    ? QChar(u'_')
                    : c;
    return safe;
}

} // namespace output
